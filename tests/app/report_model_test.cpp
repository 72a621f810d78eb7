// The table behind the database lists: sort rule, width limits, sorting,
// filtering and the row texts, without a window.
#include "app/cx_report_model.h"
#include "records/cx_database.h"
#include "records/cx_record_rows.h"

#include <QItemSelectionModel>
#include <QPersistentModelIndex>

#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}

namespace {

TReportRow Row(const QString& name, const QString& tags, qint32 number = 0) {
    return {{name, tags}, number};
}

QStringList Column(const TReportListModel& model, int column) {
    QStringList cells;
    for (int r = 0; r < model.rowCount(); ++r)
        cells << model.data(model.index(r, column)).toString();
    return cells;
}

TEST(ReportRules, HeaderClicksFollowTheDirectionRule) {
    // Each click starts from the state the previous one left.
    const struct {
        int click;
        TSortState expected;
    } clicks[] = {
        {0, {0, Qt::DescendingOrder}}, // the initial sort column turns round
        {0, {0, Qt::AscendingOrder}},  {2, {2, Qt::AscendingOrder}}, {2, {2, Qt::DescendingOrder}},
        {0, {0, Qt::AscendingOrder}}, // a new column starts ascending
        {2, {2, Qt::AscendingOrder}}, // ...even one that was descending before
    };
    TSortState state{0, Qt::AscendingOrder};
    for (const auto& c : clicks) {
        state = ClickedSortState(state, c.click);
        EXPECT_EQ(state, c.expected) << "click on " << c.click;
    }
    EXPECT_EQ(ClickedSortState({0, Qt::DescendingOrder}, 0), (TSortState{0, Qt::AscendingOrder}));
}

TEST(ReportRules, StoredWidthsAreLimited) {
    const std::pair<int, int> cases[] = {{5, 30},  {-7, 30},   {29, 30},    {30, 30},
                                         {50, 50}, {999, 999}, {1000, 999}, {5000, 999}};
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(ClampColumnWidth(stored), shown) << stored;
}

TEST(ReportRules, RowTexts) {
    TRecordStruct r;
    r.Artist = "Artist";
    r.RecordName = "Record";
    r.Tags = "rock; live";
    r.Year = 0;
    r.RipText = "2004/03/21";
    r.Path = "/music/A/Artist/Record";
    r.Score = 7;
    EXPECT_EQ(SearchRowTexts(r), (QStringList{"Artist", "Record", "rock; live", "0", "2004/03/21",
                                              "/music/A/Artist/Record"}));
    EXPECT_EQ(NeighbourRowTexts(r).first(), " 7");
    EXPECT_EQ(NeighbourRowTexts(r).size(), NeighbourColumnCount);
    const std::pair<qint32, const char*> scores[] = {{0, " 0"},    {9, " 9"},  {12, "12"},
                                                     {123, "123"}, {-1, "-1"}, {-12, "-12"}};
    for (const auto& [score, text] : scores)
        EXPECT_EQ(ScoreText(score), QLatin1String(text)) << score;
}

TEST(ReportListModel, SortsTextWithoutRegardToCaseAndKeepsTiesInOrder) {
    TReportListModel model(2, [](int c) { return QStringLiteral("H%1").arg(c); });
    model.SetRows({Row("beta", "1"), Row("Alpha", "2"), Row("gamma", "3"), Row("alpha", "4"),
                   Row("Beta", "5")});
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "H1");
    EXPECT_EQ(Column(model, 1), (QStringList{"2", "4", "1", "5", "3"}));
    model.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(Column(model, 1), (QStringList{"3", "1", "5", "2", "4"}));
    model.sort(1, Qt::DescendingOrder);
    EXPECT_EQ(Column(model, 1), (QStringList{"5", "4", "3", "2", "1"}));
    // New rows are sorted by the sort state in force.
    model.SetRows({Row("x", "a"), Row("y", "c"), Row("z", "b")});
    EXPECT_EQ(Column(model, 0), (QStringList{"y", "z", "x"}));
}

TEST(ReportListModel, NumericColumnComparesNumbers) {
    TReportListModel model(2, nullptr);
    model.SetNumericColumn(0);
    model.sort(0, Qt::DescendingOrder);
    model.SetRows({{{" 3", "first three"}, 3},
                   {{"98", "ninety-eight"}, 98},
                   {{" 3", "second three"}, 3},
                   {{"102", "hundred and two"}, 102},
                   {{"12", "twelve"}, 12}});
    EXPECT_EQ(Column(model, 1), (QStringList{"hundred and two", "ninety-eight", "twelve",
                                             "first three", "second three"}));
    model.sort(0, Qt::AscendingOrder);
    EXPECT_EQ(Column(model, 1), (QStringList{"first three", "second three", "twelve",
                                             "ninety-eight", "hundred and two"}));
}

TEST(ReportListModel, FilterHidesRowsAndSelectionFollowsItsRow) {
    TReportListModel model(2, nullptr);
    model.SetRows({Row("a", "rock"), Row("b", "jazz"), Row("c", "rock"), Row("d", "pop")});
    QItemSelectionModel selection(&model);
    selection.setCurrentIndex(model.index(2, 0),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const auto rockOnly = [](const TReportRow& r) { return r.Cells[1] == "rock"; };

    model.Filter(rockOnly);
    EXPECT_EQ(Column(model, 0), (QStringList{"a", "c"}));
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(model.Cell(selection.selectedRows().first().row(), 0), "c");

    model.sort(0, Qt::DescendingOrder); // the filter stays while sorting
    EXPECT_EQ(Column(model, 0), (QStringList{"c", "a"}));
    EXPECT_EQ(model.Cell(selection.currentIndex().row(), 0), "c");

    model.Filter([](const TReportRow& r) { return r.Cells[1] == "jazz"; });
    EXPECT_EQ(Column(model, 0), QStringList{"b"});
    EXPECT_TRUE(selection.selectedRows().isEmpty()); // its row is hidden

    model.ShowAll();
    EXPECT_EQ(Column(model, 0), (QStringList{"d", "c", "b", "a"}));
    model.Filter(rockOnly);
    model.SetRows({Row("e", "pop")}); // new rows are all shown
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.Cell(5, 0), QString());
}

} // namespace
