#pragma once
// The per-user settings hive: a registry-like tree of keys and typed values
// kept in one text file in the registry export format:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Quarnet\Tralu\Initial]
//   "MusicRoot"="/home/me/Music"
//   "NewDays"=dword:0000001e
//
// Strings are UTF-8 between double quotes; a backslash is written \\, a
// double quote \", a newline \n, a carriage return \r, a tab \t and any
// other control character \xHH, so every string reads back exactly.
// Integers are signed 32-bit, written as eight lower-case hex digits of
// their bits.  Key and value names compare without regard to case and keep
// the case they were created with.
//
// TqvRegistry reads the file afresh whenever a key is opened and applies
// every change under an advisory lock to the current file, writing a new
// file that replaces the old one in one step.  So several processes may
// share the hive without losing each other's values, and a crash never
// leaves a torn file.  A hive that cannot be read or parsed counts as empty
// and is moved aside (renamed to "<file>.bad-yyyyMMdd-hhmmss"), never
// overwritten.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

enum class TqvRegDataType { None, String, Integer };

struct TqvRegValue {
    QString Name;
    TqvRegDataType Type = TqvRegDataType::String;
    QString Text;      // when Type is String
    qint32 Number = 0; // when Type is Integer

    bool operator==(const TqvRegValue&) const = default;
};

struct TqvRegKey {
    QString Name; // one path component, as created
    std::vector<TqvRegValue> Values;
    std::vector<TqvRegKey> SubKeys;

    bool operator==(const TqvRegKey&) const = default;

    // Lookups without regard to case; null when absent.
    const TqvRegValue* FindValue(const QString& name) const;
    TqvRegValue* FindValue(const QString& name);
    const TqvRegKey* FindSubKey(const QString& name) const;
    TqvRegKey* FindSubKey(const QString& name);
    // Replaces a value of the same name in place, else appends it.
    void SetValue(TqvRegValue value);
    bool RemoveValue(const QString& name);
};

// The name under which the root of the tree is written.
inline const QString kHiveRootName = QStringLiteral("HKEY_CURRENT_USER");

// "\Software\Quarnet\Tralu" -> {"Software", "Quarnet", "Tralu"}: a key path
// relative to the root; leading, trailing and doubled backslashes do not
// count.
QStringList SplitKeyPath(const QString& path);
// Whether name can be one component of a key path: not empty, no backslash,
// no control character.
bool IsValidKeyName(const QString& name);

const TqvRegKey* FindKey(const TqvRegKey& root, const QStringList& path);
TqvRegKey* FindKey(TqvRegKey& root, const QStringList& path);
// Creates the missing keys along path; null when a component is not a valid
// key name.
TqvRegKey* CreateKey(TqvRegKey& root, const QStringList& path);
// Removes the key at path with everything below it; false when absent (the
// root itself cannot be removed).
bool RemoveKey(TqvRegKey& root, const QStringList& path);

struct TqvHiveParseResult {
    TqvRegKey Root; // what was read; empty when Ok is false
    bool Ok = true;
    QString Error; // "line N: ..." when Ok is false
};

// Parses the bytes of a hive file.  Empty input is an empty hive.  Anything
// the format does not describe (a missing header, a line of unknown form,
// bad escapes, invalid UTF-8, a file cut inside its last line) is an error.
TqvHiveParseResult ParseHive(const QByteArray& bytes);
// The bytes of a hive file; ParseHive(RenderHive(root)) gives root again.
QByteArray RenderHive(const TqvRegKey& root);

// Quoted string value syntax, shared by value names and string data.
QByteArray QuoteHiveString(const QString& text);

// The settings hive of this user: $TRALU_SETTINGS if set, else
// $XDG_CONFIG_HOME/Quarnet/user.reg (~/.config/Quarnet/user.reg).
QString DefaultHivePath();

// A failure of the hive itself (the file cannot be written) or a value read
// with the wrong type.
class ERegistryError : public std::runtime_error {
public:
    explicit ERegistryError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// The accessor: one current key at a time, like a registry handle.
class TqvRegistry {
public:
    explicit TqvRegistry(const QString& filePath = DefaultHivePath());

    const QString& FilePath() const { return m_filePath; }

    // key is relative to the root (a leading backslash is allowed).  Reads
    // the file; with canCreate the missing keys are created (one write).
    // False when the key does not exist and was not created (or cannot
    // exist: a component with a control character); ERegistryError when
    // creating it cannot be written.
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    bool HasCurrentKey() const { return m_open; }
    // The open key's path, components joined with "\"; empty for the root.
    QString CurrentPath() const { return m_currentPath.join(QLatin1Char('\\')); }

    // Reads of the open key see the file as it was when the key was opened.
    bool ValueExists(const QString& name) const;
    TqvRegDataType GetDataType(const QString& name) const; // None when absent
    std::optional<TqvRegValue> ReadValue(const QString& name) const;
    // ERegistryError when the value is absent or of the other type.
    QString ReadString(const QString& name) const;
    qint32 ReadInteger(const QString& name) const;
    QStringList GetValueNames() const;
    QStringList GetKeyNames() const;

    // Writes into the open key (recreated if another process removed it).
    // ERegistryError when no key is open or the file cannot be written.
    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, qint32 value);
    bool DeleteValue(const QString& name);

    bool KeyExists(const QString& key);
    // Removes key (relative to the root) with all its sub-keys; false when
    // it did not exist.  ERegistryError when the file cannot be written.
    bool DeleteKey(const QString& key);

    // Applies change to the current content of the file under the lock and
    // writes the result, as one step; change returns false when it changed
    // nothing (then nothing is written).  The open key, if any, then reads
    // the new content.  ERegistryError when the file cannot be written.
    void Update(const std::function<bool(TqvRegKey& root)>& change);

    // The current content of the file (empty when missing or malformed).
    TqvRegKey Load();

private:
    const TqvRegKey* CurrentKey() const;
    void WriteValue(const TqvRegValue& value);
    // The content of the file; a bad file is moved aside (under the lock)
    // and reads as empty.  Empty optional (and *error) when a bad file
    // cannot be moved aside.
    std::optional<TqvRegKey> LoadLocked(bool locked, QString* error);

    QString m_filePath;
    TqvRegKey m_snapshot;
    QStringList m_currentPath;
    bool m_open = false;
};
