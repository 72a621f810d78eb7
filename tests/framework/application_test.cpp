// The application's error handler and the numbered texts' formatting.
#include "framework/qv_application.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"

#include <QAction>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

namespace {

struct Shown {
    QString title, message;
    int count = 0;
};

class ErrorHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetErrorSink([this](const QString& title, const QString& message) {
            shown.title = title;
            shown.message = message;
            ++shown.count;
        });
    }
    void TearDown() override { SetErrorSink({}); }
    Shown shown;
};

TEST(MessageWithPeriod, AppendsAPeriodWhenTheLastCharacterSortsAfterIt) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"Disk full", "Disk full."},     {"Done.", "Done."},   {"Why?", "Why?."},
                 {"Stop!", "Stop!"},              {"x: ", "x: "},       {"", ""},
                 {"path /a/b/", "path /a/b/."},   {"99", "99."},        {"a-", "a-"}};
    for (const auto& c : cases)
        EXPECT_EQ(MessageWithPeriod(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST_F(ErrorHandlerTest, GuardedHandlerShowsTheErrorAndTheApplicationGoesOn) {
    QAction action;
    int after = 0;
    QObject::connect(&action, &QAction::triggered,
                     Guarded([](bool) { throw EToolsError(QStringLiteral("Cannot open x")); }));
    QObject::connect(&action, &QAction::triggered, [&] { ++after; });
    action.trigger();
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.message, "Cannot open x.");
    EXPECT_EQ(after, 1); // the next handler still ran
    action.trigger();
    EXPECT_EQ(shown.count, 2);
}

TEST_F(ErrorHandlerTest, ErrorsEscapingAnEventHandlerAreCaughtByTheApplication) {
    struct Thrower : QObject {
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User)
                throw std::runtime_error("raised in an event");
            return QObject::event(e);
        }
    } thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event); // the test main runs a TqvApplication
    EXPECT_EQ(shown.count, 1);
    EXPECT_EQ(shown.message, "raised in an event.");
}

TEST(FormatText, FormatsCheckedPlaceholders) {
    EXPECT_EQ(FormatText("Rename %d files ?", {3}), "Rename 3 files ?");
    EXPECT_EQ(FormatText("Create :\r\n  < %d days\r\n  in directory %s ?", {30, QString("News")}),
              "Create :\r\n  < 30 days\r\n  in directory News ?");
    EXPECT_EQ(FormatText("100%% sure", {}), "100% sure");
    EXPECT_EQ(FormatText("no value shown", {5}), "no value shown");
}

TEST(FormatText, MismatchingTranslationsRaiseAClearError) {
    for (const char* bad : {"%s files", "%d and %d", "%x", "%d days in %d"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(FormatText(QString::fromLatin1(bad), {30, QString("News")}), EFormatError);
    }
}

TEST(StringTable, AppendGetPut) {
    TqvStringList list;
    EXPECT_EQ(list.Append("a"), 0);
    EXPECT_EQ(list.Append("b"), 1);
    list.Put(1, "B");
    list.Put(7, "ignored");
    EXPECT_EQ(list.Get(1), "B");
    EXPECT_EQ(list.Get(-1), "");
    EXPECT_EQ(list.Count(), 2);
}

} // namespace
