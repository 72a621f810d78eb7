#pragma once
// A caption list: the lines of a language file, "KEY=VALUE" each.  The key
// is the text before the first "=", the value everything after it, taken
// unchanged.  Keys are compared without regard to case and the first line
// of a key wins.  Lines without "=" are ignored (they serve as comments).
// No widgets, so the reader can be fuzzed on its own.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

class TCaptionList {
public:
    // Replaces the list by the lines of a file's bytes: UTF-8 (a sequence
    // that is not valid UTF-8 reads as U+FFFD), lines ending with CR LF, LF
    // or CR, a leading byte-order mark skipped.
    void Load(const QByteArray& bytes);
    void Clear();
    bool IsEmpty() const { return m_keys.isEmpty(); }
    // The value of the first line with this key; empty when there is none.
    QString Value(const QString& key) const;
    bool Contains(const QString& key) const;
    // The keys in the order of their first line, as written.
    const QStringList& Keys() const { return m_keys; }

private:
    QStringList m_keys;
    QHash<QString, QString> m_values; // folded key -> value
};

// One line as a caption list holds it, without line end.
QString CaptionLine(const QString& key, const QString& value);
// The bytes of a caption list file: UTF-8, each line ended by CR LF.
QByteArray CaptionListBytes(const QStringList& lines);
