// The rename journal: what a batch writes, what undo gives back and what it
// refuses, and journals that a crash or a hand left damaged.
#include "platform/rename_journal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RenameJournal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        journal = dir.filePath(QStringLiteral("state/tralu/renames.log"));
        folder = dir.filePath(QStringLiteral("Art $(x)/Rec \"q\""));
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    QString P(const QString& name) const { return folder + QLatin1Char('/') + name; }
    void Make(const QString& name) {
        QFile f(P(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(name.toUtf8());
    }
    bool Has(const QString& name) const { return QFile::exists(P(name)); }
    QByteArray JournalBytes() const {
        QFile f(journal);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void AppendRaw(const QByteArray& bytes) {
        QFile f(journal);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(bytes);
    }
    std::vector<TUndoStep::Result> Outcomes(const TUndoRun& run) const {
        std::vector<TUndoStep::Result> r;
        for (const TUndoStep& s : run.Steps)
            r.push_back(s.Outcome);
        return r;
    }
    QTemporaryDir dir;
    QString journal, folder;
};

TEST_F(RenameJournal, OddNamesRoundTripAndUndoRestoresLastFirst) {
    // Names that break a naive line format: newline, tab, percent, blanks.
    const QStringList names = {QStringLiteral("a\nb.mp3"), QStringLiteral("t\tab %41.mp3"),
                               QStringLiteral(" lead.mp3")};
    for (const QString& n : names)
        Make(n);
    {
        TRenameBatch batch(journal);
        for (int i = 0; i < names.size(); ++i)
            ASSERT_TRUE(batch.Rename(P(names[i]), P(QStringLiteral("0%1.mp3").arg(i + 1))));
        // A chain inside the batch: undone last first, it comes back whole.
        ASSERT_TRUE(batch.Rename(P(QStringLiteral("01.mp3")), P(QStringLiteral("x.mp3"))));
        ASSERT_TRUE(batch.Rename(P(QStringLiteral("02.mp3")), P(QStringLiteral("01.mp3"))));
        EXPECT_TRUE(batch.Journaled());
    }
    const auto batches = ReadRenameJournal(journal);
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].Renames.size(), 5u);
    EXPECT_EQ(batches[0].Renames[0].From, P(names[0]));
    EXPECT_EQ(batches[0].Renames[1].From, P(names[1]));
    EXPECT_EQ(JournalBytes().count('\n'), 6); // one line each, whatever the names

    // A trial judges the chain as the undo meets it and changes nothing.
    const QByteArray before = JournalBytes();
    const TUndoRun trial = UndoLastRenames(journal, true);
    EXPECT_EQ(Outcomes(trial), std::vector<TUndoStep::Result>(5, TUndoStep::Restored));
    EXPECT_TRUE(Has(QStringLiteral("x.mp3")));
    EXPECT_EQ(JournalBytes(), before);

    const TUndoRun run = UndoLastRenames(journal);
    ASSERT_TRUE(run.Found);
    EXPECT_EQ(Outcomes(run), std::vector<TUndoStep::Result>(5, TUndoStep::Restored));
    EXPECT_EQ(run.Steps.front().Current, P(QStringLiteral("01.mp3")));
    for (const QString& n : names)
        EXPECT_TRUE(Has(n)) << n.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 3);
    EXPECT_FALSE(UndoLastRenames(journal).Found);
}

TEST_F(RenameJournal, RefusedStepsAreReportedAndTheOthersUndone) {
    for (const char* n : {"a", "b", "c"})
        Make(QLatin1String(n));
    {
        TRenameBatch batch(journal);
        for (const char* n : {"a", "b", "c"})
            ASSERT_TRUE(
                batch.Rename(P(QLatin1String(n)), P(QLatin1String(n) + QStringLiteral("2"))));
        // A rename refused because the name is taken is not undone later.
        Make(QStringLiteral("taken"));
        EXPECT_FALSE(batch.Rename(P(QStringLiteral("a2")), P(QStringLiteral("taken"))));
    }
    ASSERT_TRUE(
        QFile::rename(P(QStringLiteral("b2")), P(QStringLiteral("by hand")))); // new name gone
    Make(QStringLiteral("c"));                                                 // old name taken
    const TUndoRun run = UndoLastRenames(journal);
    EXPECT_EQ(Outcomes(run),
              (std::vector<TUndoStep::Result>{TUndoStep::OldNameTaken, TUndoStep::NewNameGone,
                                              TUndoStep::Restored}));
    EXPECT_EQ(UndoRefusals(run), 2);
    EXPECT_TRUE(Has(QStringLiteral("a")));
    EXPECT_TRUE(Has(QStringLiteral("by hand")) && Has(QStringLiteral("c2")) &&
                Has(QStringLiteral("taken")));
    EXPECT_EQ(UndoOutcomeText(run.Steps[0]),
              QStringLiteral("refused: a file of the old name exists"));
}

TEST_F(RenameJournal, AKilledBatchUndoesExactlyTheRenamesMade) {
    Make(QStringLiteral("a"));
    Make(QStringLiteral("b"));
    {
        TRenameBatch batch(journal);
        ASSERT_TRUE(batch.Rename(P(QStringLiteral("a")), P(QStringLiteral("a2"))));
    }
    // The process died after noting its next rename, before making it: the
    // line is there, with the batch's id, and the file has its old name.
    const QByteArray id = ReadRenameJournal(journal).front().Id;
    AppendRaw("rename " + id + ' ' +
              QFile::encodeName(P(QStringLiteral("b"))).toPercentEncoding("/") + ' ' +
              QFile::encodeName(P(QStringLiteral("b2"))).toPercentEncoding("/") + '\n');
    const TUndoRun run = UndoLastRenames(journal);
    EXPECT_EQ(Outcomes(run),
              (std::vector<TUndoStep::Result>{TUndoStep::NeverMade, TUndoStep::Restored}));
    EXPECT_EQ(UndoRefusals(run), 0);
    EXPECT_TRUE(Has(QStringLiteral("a")) && Has(QStringLiteral("b")));
}

TEST_F(RenameJournal, UndoTwiceUndoesTheBatchBefore) {
    Make(QStringLiteral("a"));
    TRenameBatch(journal).Rename(P(QStringLiteral("a")), P(QStringLiteral("b")));
    TRenameBatch(journal).Rename(P(QStringLiteral("b")), P(QStringLiteral("c")));
    EXPECT_TRUE(UndoLastRenames(journal).Found);
    EXPECT_TRUE(Has(QStringLiteral("b")));
    EXPECT_TRUE(UndoLastRenames(journal).Found);
    EXPECT_TRUE(Has(QStringLiteral("a")));
    EXPECT_FALSE(UndoLastRenames(journal).Found);
}

TEST_F(RenameJournal, ADamagedJournalIsReadAsFarAsItIsWhole) {
    Make(QStringLiteral("a"));
    TRenameBatch(journal).Rename(P(QStringLiteral("a")), P(QStringLiteral("b")));
    // Garbage, a line of an unknown batch, a rename with a field missing,
    // and a last line cut short by a crash.
    AppendRaw("\x01\xff garbage\nrename nosuchbatch %2Fx %2Fy\nundone\nbatch\nrename ");
    const QByteArray id = ReadRenameJournal(journal).front().Id;
    AppendRaw(id + " %2Fhalf");
    auto batches = ReadRenameJournal(journal);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].Renames.size(), 1u);
    // The next batch starts on a line of its own, after the cut one.
    Make(QStringLiteral("z"));
    TRenameBatch(journal).Rename(P(QStringLiteral("z")), P(QStringLiteral("z2")));
    batches = ReadRenameJournal(journal);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[1].Renames.size(), 1u);
    EXPECT_TRUE(UndoLastRenames(journal).Found);
    EXPECT_TRUE(Has(QStringLiteral("z")));
    EXPECT_TRUE(ReadRenameJournal(dir.filePath(QStringLiteral("none.log"))).empty());
}

TEST_F(RenameJournal, AJournalThatCannotBeWrittenDoesNotStopTheRename) {
    Make(QStringLiteral("a"));
    // The journal's folder is a file: nothing can be noted.
    QFile blocker(dir.filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(RenameJournalWritable(dir.filePath(QStringLiteral("blocked/renames.log"))));
    EXPECT_TRUE(RenameJournalWritable(journal)); // made, folder and all
    TRenameBatch batch(dir.filePath(QStringLiteral("blocked/renames.log")));
    EXPECT_TRUE(batch.Rename(P(QStringLiteral("a")), P(QStringLiteral("b"))));
    EXPECT_FALSE(batch.Journaled());
    EXPECT_TRUE(Has(QStringLiteral("b")));
}

TEST(RenameJournalPath, FollowsTheStateHome) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/some/state");
    EXPECT_EQ(RenameJournalPath(), QStringLiteral("/some/state/tralu/renames.log"));
    qputenv("XDG_STATE_HOME", "relative");
    EXPECT_EQ(RenameJournalPath(),
              QDir::homePath() + QStringLiteral("/.local/state/tralu/renames.log"));
    qputenv("XDG_STATE_HOME", saved);
}

} // namespace
