#pragma once
// The journal of the renames Tralu makes, so that the last batch of them can
// be undone.  Each run that renames (one rename in the tree or the file
// list, a Rename tool run, Tags to filenames, one tralu-cli rename) is one
// batch.  Every rename is appended to the journal, and the line handed to
// the system, before the rename is made; a rename that then fails is noted
// as failed.  Lines are text with every path percent-encoded from its bytes,
// so that any file name (newlines, non-UTF-8 bytes) survives:
//
//   batch ID TIME
//   rename ID FROM TO
//   failed ID FROM TO
//   undone ID

#include <QByteArray>
#include <QString>

#include <vector>

// $XDG_STATE_HOME/tralu/renames.log; ~/.local/state when the variable is
// unset or not an absolute path.
QString RenameJournalPath();

// True when the journal can be appended to (it is made if missing), so
// that a run can say beforehand that its renames could not be undone.
bool RenameJournalWritable(const QString& journal = RenameJournalPath());

struct TJournalRename {
    QString From; // full paths
    QString To;
};

struct TJournalBatch {
    QByteArray Id;
    QString Time;                        // when it began, ISO 8601, UTC
    std::vector<TJournalRename> Renames; // in the order they were made
    bool Undone = false;
};

// The batches of the journal, oldest first.  Only whole lines count: a last
// line cut short, a line not understood, or one naming an unknown batch is
// passed over.  No file gives no batch.
std::vector<TJournalBatch> ReadRenameJournal(const QString& journal);

// The renames of one run.  The batch's first line is written with its first
// rename, so a run that renames nothing leaves nothing in the journal.
class TRenameBatch {
public:
    explicit TRenameBatch(QString journal = RenameJournalPath());
    ~TRenameBatch();
    TRenameBatch(const TRenameBatch&) = delete;
    TRenameBatch& operator=(const TRenameBatch&) = delete;

    // Notes the rename in the journal, then renames from to to, never
    // replacing a file (RenameNoReplace).  A journal that cannot be written
    // does not stop the rename; Journaled() then says so.
    bool Rename(const QString& from, const QString& to, int* error = nullptr);
    // False once a rename could not be noted: it cannot be undone.
    bool Journaled() const { return JournalOk; }

private:
    bool Append(const QByteArray& line);

    QString Journal;
    QByteArray Id;
    int Fd = -1;
    bool Started = false;
    bool JournalOk = true;
};

// One step of an undo: the file at Current gets its old name back.
struct TUndoStep {
    enum Result {
        Restored,     // renamed back (in a trial: would be)
        NeverMade,    // the journal holds the rename but it was not made
        OldNameTaken, // refused: a file of the old name exists
        NewNameGone,  // refused: nothing of the new name is there
        Failed,       // the rename back failed (Error holds errno)
    };
    QString Current;  // the name the rename gave
    QString Previous; // the name it had before, given back
    Result Outcome = Restored;
    int Error = 0;
};

struct TUndoRun {
    bool Found = false; // there was a batch to undo
    TJournalBatch Batch;
    std::vector<TUndoStep> Steps; // last rename first
};

// Undoes the last batch of the journal not undone yet, last rename first,
// and marks it undone; each refused step is reported and the others are
// still made.  With trial nothing is renamed or marked: the steps say what
// an undo would do.
TUndoRun UndoLastRenames(const QString& journal = RenameJournalPath(), bool trial = false);

// What became of a step, for messages: "restored", "not made, nothing to
// undo", "refused: ..." or "failed: ..." with the system's reason.
QString UndoOutcomeText(const TUndoStep& step);
// The steps that were refused or failed.
int UndoRefusals(const TUndoRun& run);
