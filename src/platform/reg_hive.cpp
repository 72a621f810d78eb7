#include "platform/reg_hive.h"

#include "platform/atomic_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kMaxKeyDepth = 512;            // as deep as the registry allows
constexpr qint64 kMaxHiveBytes = 64 * 1024 * 1024; // larger is not a settings file
const QByteArray kHeader = QByteArrayLiteral("REGEDIT4");

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString ErrnoText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// --- text form ------------------------------------------------------------

void AppendQuoted(QString& out, const QString& text) {
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (IsControl(c))
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at line[pos] == '"'; pos ends after the
// closing quote.  Empty optional (and *error) when the string is bad.
std::optional<QString> ParseQuoted(QStringView line, qsizetype& pos, QString* error) {
    QString out;
    ++pos; // opening quote
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == QLatin1Char('"'))
            return out;
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (pos >= line.size())
            break;
        const QChar e = line[pos++];
        switch (e.unicode()) {
        case '\\':
        case '"':
            out += e;
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'x': {
            const int hi = pos < line.size() ? HexDigit(line[pos]) : -1;
            const int lo = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
            if (hi < 0 || lo < 0) {
                *error = QStringLiteral("\\x needs two hex digits");
                return std::nullopt;
            }
            out += QChar(char16_t(hi * 16 + lo));
            pos += 2;
            break;
        }
        default:
            *error = QStringLiteral("unknown escape \\%1").arg(e);
            return std::nullopt;
        }
    }
    *error = QStringLiteral("unterminated string");
    return std::nullopt;
}

std::optional<qint32> ParseDword(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 bits = 0;
    for (const QChar c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        bits = bits * 16 + quint32(d);
    }
    return static_cast<qint32>(bits);
}

void RenderKey(QString& out, const TqvRegKey& key, const QString& path) {
    out += QLatin1Char('\n');
    out += QLatin1Char('[') + path + QLatin1String("]\n");
    for (const TqvRegValue& v : key.Values) {
        AppendQuoted(out, v.Name);
        out += QLatin1Char('=');
        if (v.Type == TqvRegDataType::Integer)
            out += QStringLiteral("dword:%1")
                       .arg(static_cast<quint32>(v.Number), 8, 16, QLatin1Char('0'));
        else
            AppendQuoted(out, v.Text);
        out += QLatin1Char('\n');
    }
    for (const TqvRegKey& sub : key.SubKeys)
        RenderKey(out, sub, path + QLatin1Char('\\') + sub.Name);
}

// --- the file ---------------------------------------------------------------

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

struct HiveFile {
    enum State { Missing, Read, Unreadable } State = Missing;
    QByteArray Bytes;
    QString Error;
};

HiveFile ReadHiveFile(const QString& path) {
    HiveFile file;
    const QByteArray name = QFile::encodeName(path);
    FileDescriptor fd(
        ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)); // a FIFO must not block
    if (fd.get() < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            file.State = HiveFile::Unreadable;
            file.Error = ErrnoText();
        }
        return file;
    }
    file.State = HiveFile::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        file.Error = ErrnoText();
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        file.Error = QStringLiteral("not a regular file");
        return file;
    }
    if (st.st_size > kMaxHiveBytes) {
        file.Error = QStringLiteral("file too large");
        return file;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            file.Error = ErrnoText();
            file.Bytes.clear();
            return file;
        }
        if (n == 0)
            break;
        file.Bytes.append(buffer, n);
        if (file.Bytes.size() > kMaxHiveBytes) {
            file.Error = QStringLiteral("file too large");
            file.Bytes.clear();
            return file;
        }
    }
    file.State = HiveFile::Read;
    return file;
}

// The advisory lock that serialises the writers of one hive: flock on a
// file beside it, which stays in place (removing it would let two writers
// lock two different files).
class HiveLock {
public:
    explicit HiveLock(const QString& hivePath) {
        const QByteArray name = QFile::encodeName(hivePath + QLatin1String(".lock"));
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            m_error = ErrnoText();
            return;
        }
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = ErrnoText();
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~HiveLock() {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool Locked() const { return m_fd >= 0; }
    const QString& Error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};

// Renames a bad hive to "<path>.bad-<time stamp>" without replacing an
// earlier one.  Returns the new name, or empty (and *error) on failure.
QString MoveAside(const QString& path, QString* error) {
    const QString base = path + QLatin1String(".bad-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const QByteArray from = QFile::encodeName(path);
    for (int i = 0; i < 100; ++i) {
        const QString target = i == 0 ? base : base + QLatin1Char('-') + QString::number(i);
        const QByteArray to = QFile::encodeName(target);
        int rc =
            ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) { // file system without RENAME_NOREPLACE
            struct stat st {};
            if (::lstat(to.constData(), &st) == 0) {
                errno = EEXIST;
            } else {
                rc = ::rename(from.constData(), to.constData());
            }
        }
        if (rc == 0)
            return target;
        if (errno != EEXIST)
            break;
    }
    *error = ErrnoText();
    return {};
}

} // namespace

// --- tree ---------------------------------------------------------------------

const TqvRegValue* TqvRegKey::FindValue(const QString& name) const {
    for (const TqvRegValue& v : Values)
        if (SameName(v.Name, name))
            return &v;
    return nullptr;
}

TqvRegValue* TqvRegKey::FindValue(const QString& name) {
    return const_cast<TqvRegValue*>(std::as_const(*this).FindValue(name));
}

const TqvRegKey* TqvRegKey::FindSubKey(const QString& name) const {
    for (const TqvRegKey& k : SubKeys)
        if (SameName(k.Name, name))
            return &k;
    return nullptr;
}

TqvRegKey* TqvRegKey::FindSubKey(const QString& name) {
    return const_cast<TqvRegKey*>(std::as_const(*this).FindSubKey(name));
}

void TqvRegKey::SetValue(TqvRegValue value) {
    if (TqvRegValue* old = FindValue(value.Name)) {
        value.Name = old->Name; // the name keeps the case it was created with
        *old = std::move(value);
    } else {
        Values.push_back(std::move(value));
    }
}

bool TqvRegKey::RemoveValue(const QString& name) {
    const auto it = std::find_if(Values.begin(), Values.end(),
                                 [&](const TqvRegValue& v) { return SameName(v.Name, name); });
    if (it == Values.end())
        return false;
    Values.erase(it);
    return true;
}

QStringList SplitKeyPath(const QString& path) {
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

bool IsValidKeyName(const QString& name) {
    if (name.isEmpty())
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](QChar c) { return c == QLatin1Char('\\') || IsControl(c); });
}

const TqvRegKey* FindKey(const TqvRegKey& root, const QStringList& path) {
    const TqvRegKey* key = &root;
    for (const QString& part : path) {
        key = key->FindSubKey(part);
        if (!key)
            return nullptr;
    }
    return key;
}

TqvRegKey* FindKey(TqvRegKey& root, const QStringList& path) {
    return const_cast<TqvRegKey*>(FindKey(std::as_const(root), path));
}

TqvRegKey* CreateKey(TqvRegKey& root, const QStringList& path) {
    if (path.size() > kMaxKeyDepth || !std::all_of(path.begin(), path.end(), IsValidKeyName))
        return nullptr;
    TqvRegKey* key = &root;
    for (const QString& part : path) {
        TqvRegKey* sub = key->FindSubKey(part);
        if (!sub) {
            key->SubKeys.push_back(TqvRegKey{part, {}, {}});
            sub = &key->SubKeys.back();
        }
        key = sub;
    }
    return key;
}

bool RemoveKey(TqvRegKey& root, const QStringList& path) {
    if (path.isEmpty())
        return false;
    TqvRegKey* parent = FindKey(root, path.mid(0, path.size() - 1));
    if (!parent)
        return false;
    auto& subs = parent->SubKeys;
    const auto it = std::find_if(subs.begin(), subs.end(),
                                 [&](const TqvRegKey& k) { return SameName(k.Name, path.last()); });
    if (it == subs.end())
        return false;
    subs.erase(it);
    return true;
}

QByteArray QuoteHiveString(const QString& text) {
    QString out;
    AppendQuoted(out, text);
    return out.toUtf8();
}

TqvHiveParseResult ParseHive(const QByteArray& bytes) {
    TqvHiveParseResult result;
    if (bytes.isEmpty())
        return result;
    int lineNumber = 0;
    const auto fail = [&](const QString& why) {
        result.Ok = false;
        result.Error =
            lineNumber > 0 ? QStringLiteral("line %1: %2").arg(lineNumber).arg(why) : why;
        result.Root = {};
        return result;
    };

    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte-order mark
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return fail(QStringLiteral("not valid UTF-8"));
    // Every line, the last one too, ends with a newline; a file that does
    // not was cut short.
    if (!text.endsWith(QLatin1Char('\n')))
        return fail(QStringLiteral("the last line is incomplete"));

    const QStringView all(text);
    TqvRegKey* current = nullptr;
    // The values of the current key by case-folded name, so a key with many
    // values (a long list) reads in linear time.
    QHash<QString, qsizetype> valueIndex;
    qsizetype start = 0;
    while (start < all.size()) {
        const qsizetype end = all.indexOf(QLatin1Char('\n'), start);
        QStringView line = all.mid(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

        if (lineNumber == 1) {
            if (line != QLatin1String(kHeader))
                return fail(QStringLiteral("the header REGEDIT4 is missing"));
            continue;
        }
        if (line.isEmpty())
            continue;

        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')) || line.size() < 2)
                return fail(QStringLiteral("a key line must end with ]"));
            const QStringList parts =
                line.mid(1, line.size() - 2).toString().split(QLatin1Char('\\'));
            if (!SameName(parts.first(), kHiveRootName))
                return fail(QStringLiteral("a key must be under %1").arg(kHiveRootName));
            const QStringList path = parts.mid(1);
            if (!std::all_of(path.begin(), path.end(), IsValidKeyName))
                return fail(QStringLiteral("invalid key name"));
            current = CreateKey(result.Root, path);
            if (!current)
                return fail(QStringLiteral("key nested too deeply"));
            valueIndex.clear();
            for (qsizetype i = 0; i < qsizetype(current->Values.size()); ++i)
                valueIndex.insert(current->Values[size_t(i)].Name.toCaseFolded(), i);
            continue;
        }

        if (!line.startsWith(QLatin1Char('"')))
            return fail(QStringLiteral("unknown line"));
        if (!current)
            return fail(QStringLiteral("a value comes before any key"));
        QString why;
        qsizetype pos = 0;
        std::optional<QString> name = ParseQuoted(line, pos, &why);
        if (!name)
            return fail(why);
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            return fail(QStringLiteral("= expected after the value name"));
        ++pos;
        TqvRegValue value;
        value.Name = *name;
        const QStringView data = line.mid(pos);
        if (data.startsWith(QLatin1Char('"'))) {
            std::optional<QString> text = ParseQuoted(line, pos, &why);
            if (!text)
                return fail(why);
            if (pos != line.size())
                return fail(QStringLiteral("unexpected text after the string"));
            value.Text = *text;
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const std::optional<qint32> number = ParseDword(data.mid(6));
            if (!number)
                return fail(QStringLiteral("dword: needs one to eight hex digits"));
            value.Type = TqvRegDataType::Integer;
            value.Number = *number;
        } else {
            return fail(QStringLiteral("unknown value type"));
        }
        QString folded = value.Name.toCaseFolded();
        const auto it = valueIndex.constFind(folded);
        if (it == valueIndex.cend()) {
            valueIndex.insert(std::move(folded), qsizetype(current->Values.size()));
            current->Values.push_back(std::move(value));
        } else {
            TqvRegValue& old = current->Values[size_t(*it)];
            value.Name = old.Name; // a repeated name keeps its first spelling
            old = std::move(value);
        }
    }
    return result;
}

QByteArray RenderHive(const TqvRegKey& root) {
    QString out = QLatin1String(kHeader) + QLatin1Char('\n');
    if (!root.Values.empty()) {
        TqvRegKey bare{root.Name, root.Values, {}};
        RenderKey(out, bare, kHiveRootName);
    }
    for (const TqvRegKey& sub : root.SubKeys)
        RenderKey(out, sub, kHiveRootName + QLatin1Char('\\') + sub.Name);
    return out.toUtf8();
}

QString DefaultHivePath() {
    const QString explicitPath = qEnvironmentVariable("TRALU_SETTINGS");
    if (!explicitPath.isEmpty())
        return explicitPath;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QLatin1String("/Quarnet/user.reg");
}

// --- accessor -------------------------------------------------------------------

TqvRegistry::TqvRegistry(const QString& filePath) : m_filePath(filePath) {}

std::optional<TqvRegKey> TqvRegistry::LoadLocked(bool locked, QString* error) {
    const HiveFile file = ReadHiveFile(m_filePath);
    QString problem = file.Error;
    if (file.State == HiveFile::Missing)
        return TqvRegKey{};
    if (file.State == HiveFile::Read) {
        TqvHiveParseResult parsed = ParseHive(file.Bytes);
        if (parsed.Ok)
            return std::move(parsed.Root);
        problem = parsed.Error;
    }
    if (!locked) {
        // Look again under the lock: a writer may have replaced the file
        // since it was read, and a good file must never be moved aside.
        HiveLock lock(m_filePath);
        if (lock.Locked())
            return LoadLocked(true, error);
    }
    QString why;
    const QString aside = locked ? MoveAside(m_filePath, &why) : QString();
    if (aside.isEmpty()) {
        *error = QStringLiteral("The settings file %1 cannot be read (%2) and cannot be moved "
                                "aside (%3)")
                     .arg(m_filePath, problem, why.isEmpty() ? QStringLiteral("no lock") : why);
        qWarning().noquote() << *error;
        return std::nullopt;
    }
    qWarning().noquote() << QStringLiteral("The settings file %1 cannot be read (%2); it is kept "
                                           "as %3 and the defaults are used.")
                                .arg(m_filePath, problem, aside);
    return TqvRegKey{};
}

TqvRegKey TqvRegistry::Load() {
    QString error;
    return LoadLocked(false, &error).value_or(TqvRegKey{});
}

void TqvRegistry::Update(const std::function<bool(TqvRegKey&)>& change) {
    const QFileInfo info(m_filePath);
    if (!QDir().mkpath(info.absolutePath()))
        throw ERegistryError(
            QStringLiteral("Cannot create the settings folder %1").arg(info.absolutePath()));
    HiveLock lock(m_filePath);
    if (!lock.Locked())
        throw ERegistryError(
            QStringLiteral("Cannot lock the settings file %1: %2").arg(m_filePath, lock.Error()));
    QString error;
    std::optional<TqvRegKey> root = LoadLocked(true, &error);
    if (!root)
        throw ERegistryError(error);
    if (change(*root) && !AtomicWriteFile(m_filePath, RenderHive(*root), &error))
        throw ERegistryError(error);
    m_snapshot = std::move(*root);
}

bool TqvRegistry::OpenKey(const QString& key, bool canCreate) {
    CloseKey();
    const QStringList path = SplitKeyPath(key);
    if (path.size() > kMaxKeyDepth || !std::all_of(path.begin(), path.end(), IsValidKeyName))
        return false;
    m_snapshot = Load();
    if (!FindKey(m_snapshot, path)) {
        if (!canCreate)
            return false;
        Update([&](TqvRegKey& root) {
            return !FindKey(root, path) && CreateKey(root, path) != nullptr;
        });
        if (!FindKey(m_snapshot, path))
            return false;
    }
    // The path as the keys spell it.
    const TqvRegKey* step = &m_snapshot;
    for (const QString& part : path) {
        step = step->FindSubKey(part);
        m_currentPath << step->Name;
    }
    m_open = true;
    return true;
}

void TqvRegistry::CloseKey() {
    m_open = false;
    m_currentPath.clear();
    m_snapshot = {};
}

const TqvRegKey* TqvRegistry::CurrentKey() const {
    return m_open ? FindKey(m_snapshot, m_currentPath) : nullptr;
}

bool TqvRegistry::ValueExists(const QString& name) const {
    const TqvRegKey* key = CurrentKey();
    return key && key->FindValue(name);
}

TqvRegDataType TqvRegistry::GetDataType(const QString& name) const {
    const TqvRegKey* key = CurrentKey();
    const TqvRegValue* value = key ? key->FindValue(name) : nullptr;
    return value ? value->Type : TqvRegDataType::None;
}

std::optional<TqvRegValue> TqvRegistry::ReadValue(const QString& name) const {
    const TqvRegKey* key = CurrentKey();
    const TqvRegValue* value = key ? key->FindValue(name) : nullptr;
    if (!value)
        return std::nullopt;
    return *value;
}

QString TqvRegistry::ReadString(const QString& name) const {
    const std::optional<TqvRegValue> value = ReadValue(name);
    if (!value)
        throw ERegistryError(QStringLiteral("The setting \"%1\" does not exist").arg(name));
    if (value->Type != TqvRegDataType::String)
        throw ERegistryError(QStringLiteral("The setting \"%1\" is not a string").arg(name));
    return value->Text;
}

qint32 TqvRegistry::ReadInteger(const QString& name) const {
    const std::optional<TqvRegValue> value = ReadValue(name);
    if (!value)
        throw ERegistryError(QStringLiteral("The setting \"%1\" does not exist").arg(name));
    if (value->Type != TqvRegDataType::Integer)
        throw ERegistryError(QStringLiteral("The setting \"%1\" is not an integer").arg(name));
    return value->Number;
}

QStringList TqvRegistry::GetValueNames() const {
    QStringList names;
    if (const TqvRegKey* key = CurrentKey())
        for (const TqvRegValue& v : key->Values)
            names << v.Name;
    return names;
}

QStringList TqvRegistry::GetKeyNames() const {
    QStringList names;
    if (const TqvRegKey* key = CurrentKey())
        for (const TqvRegKey& k : key->SubKeys)
            names << k.Name;
    return names;
}

namespace {
TqvRegValue MakeValue(const QString& name, TqvRegDataType type, const QString& text,
                      qint32 number) {
    TqvRegValue v;
    v.Name = name;
    v.Type = type;
    v.Text = text;
    v.Number = number;
    return v;
}
} // namespace

void TqvRegistry::WriteValue(const TqvRegValue& value) {
    if (!m_open)
        throw ERegistryError(
            QStringLiteral("No settings key is open to write \"%1\"").arg(value.Name));
    Update([&](TqvRegKey& root) {
        TqvRegKey* key = CreateKey(root, m_currentPath);
        if (!key)
            return false;
        const TqvRegValue* old = key->FindValue(value.Name);
        if (old && old->Type == value.Type && old->Text == value.Text &&
            old->Number == value.Number)
            return false; // unchanged: no need to rewrite the file
        key->SetValue(value);
        return true;
    });
}

void TqvRegistry::WriteString(const QString& name, const QString& value) {
    WriteValue(MakeValue(name, TqvRegDataType::String, value, 0));
}

void TqvRegistry::WriteInteger(const QString& name, qint32 value) {
    WriteValue(MakeValue(name, TqvRegDataType::Integer, {}, value));
}

bool TqvRegistry::DeleteValue(const QString& name) {
    if (!m_open)
        return false;
    bool removed = false;
    Update([&](TqvRegKey& root) {
        TqvRegKey* key = FindKey(root, m_currentPath);
        removed = key && key->RemoveValue(name);
        return removed;
    });
    return removed;
}

bool TqvRegistry::KeyExists(const QString& key) {
    const TqvRegKey root = Load();
    return FindKey(root, SplitKeyPath(key)) != nullptr;
}

bool TqvRegistry::DeleteKey(const QString& key) {
    const QStringList path = SplitKeyPath(key);
    bool removed = false;
    const bool wasOpen = m_open;
    Update([&](TqvRegKey& root) {
        removed = RemoveKey(root, path);
        return removed;
    });
    // The open key reads the new content; it is gone if it was inside.
    m_open = wasOpen && FindKey(m_snapshot, m_currentPath);
    return removed;
}
