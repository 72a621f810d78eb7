#pragma once
// Reading and editing INI text held in memory.  Every line that is not
// changed keeps its bytes, line ending included.  Section and key names
// compare without regard to ASCII case; the first section and the first key
// of a name win.

#include <QByteArray>

#include <optional>
#include <utility>
#include <vector>

// The value of `key` in `section`, with surrounding blanks removed; none when
// the section or the key is missing.
std::optional<QByteArray> IniReadValue(const QByteArray& content, const QByteArray& section,
                                       const QByteArray& key);

// `content` with the given keys of `section` set, in the given order.  A key
// already present keeps its line (rewritten as "Key=value"); a new key is
// added after the section's last non-blank line; a missing section is added
// at the end.  New lines use the file's first line ending, else CR LF.
// Line breaks inside a value are turned into blanks.
QByteArray IniWriteValues(const QByteArray& content, const QByteArray& section,
                          const std::vector<std::pair<QByteArray, QByteArray>>& values);
