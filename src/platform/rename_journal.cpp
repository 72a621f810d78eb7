#include "platform/rename_journal.h"

#include "platform/file_ops.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Field(const QString& path) {
    return QFile::encodeName(path).toPercentEncoding("/");
}
QString PathOfField(const QByteArray& field) {
    return QFile::decodeName(QByteArray::fromPercentEncoding(field));
}

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Opens the journal for appending, its folder made if missing; a last line
// cut short by a crash is ended first, so that it stays one bad line.
int OpenForAppend(const QString& journal) {
    const QString folder = QFileInfo(journal).path();
    if (!QDir().mkpath(folder))
        return -1;
    const QByteArray name = QFile::encodeName(journal);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat st;
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 &&
        last != '\n' && !WriteAll(fd, QByteArrayLiteral("\n"))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool AppendToJournal(const QString& journal, const QByteArray& line) {
    const int fd = OpenForAppend(journal);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, line);
    return ::close(fd) == 0 && ok;
}

bool Exists(const QString& path) {
    return FileStatus(path, false).has_value();
}

} // namespace

QString RenameJournalPath() {
    QString state = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tralu/renames.log");
}

bool RenameJournalWritable(const QString& journal) {
    const int fd = OpenForAppend(journal);
    return fd >= 0 && ::close(fd) == 0;
}

std::vector<TJournalBatch> ReadRenameJournal(const QString& journal) {
    std::vector<TJournalBatch> batches;
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return batches;
    const QByteArray bytes = file.readAll();
    std::map<QByteArray, std::size_t> byId;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break; // nothing, or a last line cut short
        const QList<QByteArray> f = bytes.mid(start, end - start).split(' ');
        start = end + 1;
        if (f.size() < 2 || f[1].isEmpty())
            continue;
        const QByteArray& kind = f[0];
        if (kind == "batch" && f.size() == 3) {
            if (byId.count(f[1]))
                continue;
            byId[f[1]] = batches.size();
            batches.push_back({f[1], QString::fromLatin1(f[2]), {}, false});
            continue;
        }
        const auto found = byId.find(f[1]);
        if (found == byId.end())
            continue;
        TJournalBatch& batch = batches[found->second];
        if (kind == "undone" && f.size() == 2) {
            batch.Undone = true;
        } else if ((kind == "rename" || kind == "failed") && f.size() == 4 && !f[2].isEmpty() &&
                   !f[3].isEmpty()) {
            const TJournalRename r{PathOfField(f[2]), PathOfField(f[3])};
            if (kind == "rename") {
                batch.Renames.push_back(r);
            } else {
                // The latest rename of these names was not made.
                for (auto i = batch.Renames.rbegin(); i != batch.Renames.rend(); ++i)
                    if (i->From == r.From && i->To == r.To) {
                        batch.Renames.erase(std::next(i).base());
                        break;
                    }
            }
        }
    }
    return batches;
}

TRenameBatch::TRenameBatch(QString journal) : Journal(std::move(journal)) {}

TRenameBatch::~TRenameBatch() {
    if (Fd >= 0)
        ::close(Fd);
}

bool TRenameBatch::Append(const QByteArray& line) {
    if (!JournalOk)
        return false;
    if (Fd < 0)
        Fd = OpenForAppend(Journal);
    if (Fd < 0 || !WriteAll(Fd, line))
        JournalOk = false;
    return JournalOk;
}

bool TRenameBatch::Rename(const QString& from, const QString& to, int* error) {
    if (!Started) {
        Started = true;
        Id = QUuid::createUuid().toByteArray(QUuid::Id128);
        Append("batch " + Id + ' ' +
               QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + '\n');
    }
    const QByteArray names = Id + ' ' + Field(from) + ' ' + Field(to) + '\n';
    Append("rename " + names);
    if (RenameNoReplace(from, to, error))
        return true;
    Append("failed " + names);
    return false;
}

TUndoRun UndoLastRenames(const QString& journal, bool trial) {
    TUndoRun run;
    std::vector<TJournalBatch> batches = ReadRenameJournal(journal);
    for (auto i = batches.rbegin(); i != batches.rend(); ++i)
        if (!i->Undone && !i->Renames.empty()) {
            run.Found = true;
            run.Batch = std::move(*i);
            break;
        }
    if (!run.Found)
        return run;
    // A trial keeps the names as the undo would leave them, so that a chain
    // of renames (a to b, b to c) is judged as the real undo meets it.
    std::set<QString> appeared, gone;
    const auto exists = [&](const QString& path) {
        if (appeared.count(path))
            return true;
        return !gone.count(path) && Exists(path);
    };
    for (auto r = run.Batch.Renames.rbegin(); r != run.Batch.Renames.rend(); ++r) {
        TUndoStep step{r->To, r->From, TUndoStep::Restored, 0};
        const bool oldThere = exists(r->From), newThere = exists(r->To);
        if (oldThere && !newThere)
            step.Outcome = TUndoStep::NeverMade;
        else if (oldThere)
            step.Outcome = TUndoStep::OldNameTaken;
        else if (!newThere)
            step.Outcome = TUndoStep::NewNameGone;
        else if (trial) {
            appeared.erase(r->To);
            gone.insert(r->To);
            gone.erase(r->From);
            appeared.insert(r->From);
        } else if (!RenameNoReplace(r->To, r->From, &step.Error)) {
            step.Outcome = TUndoStep::Failed;
        }
        run.Steps.push_back(step);
    }
    if (!trial)
        AppendToJournal(journal, "undone " + run.Batch.Id + '\n');
    return run;
}

QString UndoOutcomeText(const TUndoStep& step) {
    switch (step.Outcome) {
    case TUndoStep::Restored:
        return QStringLiteral("restored");
    case TUndoStep::NeverMade:
        return QStringLiteral("not made, nothing to undo");
    case TUndoStep::OldNameTaken:
        return QStringLiteral("refused: a file of the old name exists");
    case TUndoStep::NewNameGone:
        return QStringLiteral("refused: the renamed file is gone");
    case TUndoStep::Failed:
        break;
    }
    return QStringLiteral("failed: ") + QString::fromLocal8Bit(std::strerror(step.Error));
}

int UndoRefusals(const TUndoRun& run) {
    int count = 0;
    for (const TUndoStep& step : run.Steps)
        if (step.Outcome != TUndoStep::Restored && step.Outcome != TUndoStep::NeverMade)
            ++count;
    return count;
}
