#include "records/cx_inifile.h"

namespace {

struct TIniLine {
    QByteArray Text; // without line ending
    QByteArray Eol;  // "\r\n", "\n" or "" (last line without ending)
};

std::vector<TIniLine> SplitLines(const QByteArray& content) {
    std::vector<TIniLine> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype nl = content.indexOf('\n', start);
        if (nl < 0) {
            lines.push_back({content.mid(start), QByteArray()});
            break;
        }
        qsizetype end = nl;
        if (end > start && content[end - 1] == '\r')
            --end;
        lines.push_back({content.mid(start, end - start), content.mid(end, nl + 1 - end)});
        start = nl + 1;
    }
    return lines;
}

QByteArray TrimmedBlanks(const QByteArray& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.mid(b, e - b);
}

bool SameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The section name of a header line, none for another line.
std::optional<QByteArray> SectionName(const QByteArray& line) {
    QByteArray t = TrimmedBlanks(line);
    if (!t.startsWith('['))
        return std::nullopt;
    qsizetype close = t.indexOf(']');
    return TrimmedBlanks(close < 0 ? t.mid(1) : t.mid(1, close - 1));
}

// Splits "key=value" into its trimmed parts; false for blank lines, comments
// and lines without "=".
bool SplitKey(const QByteArray& line, QByteArray& key, QByteArray& value) {
    QByteArray t = TrimmedBlanks(line);
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return false;
    qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return false;
    key = TrimmedBlanks(t.left(eq));
    value = TrimmedBlanks(t.mid(eq + 1));
    return true;
}

// [first, last) line range of the first section of that name; first is the
// header's index; none when missing.
std::optional<std::pair<size_t, size_t>> FindSection(const std::vector<TIniLine>& lines,
                                                     const QByteArray& section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i].Text);
        if (!name || !SameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end].Text))
            ++end;
        return std::make_pair(i, end);
    }
    return std::nullopt;
}

QByteArray OneLine(QByteArray value) {
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return value;
}

} // namespace

std::optional<QByteArray> IniReadValue(const QByteArray& content, const QByteArray& section,
                                       const QByteArray& key) {
    const std::vector<TIniLine> lines = SplitLines(content);
    auto range = FindSection(lines, section);
    if (!range)
        return std::nullopt;
    QByteArray k, v;
    for (size_t i = range->first + 1; i < range->second; ++i)
        if (SplitKey(lines[i].Text, k, v) && SameName(k, key))
            return v;
    return std::nullopt;
}

QByteArray IniWriteValues(const QByteArray& content, const QByteArray& section,
                          const std::vector<std::pair<QByteArray, QByteArray>>& values) {
    std::vector<TIniLine> lines = SplitLines(content);
    QByteArray eol = "\r\n";
    for (const TIniLine& line : lines)
        if (!line.Eol.isEmpty()) {
            eol = line.Eol;
            break;
        }
    // A line that gets a successor needs an ending of its own.
    auto insertAt = [&](size_t pos, QByteArray text) {
        if (pos > 0 && lines[pos - 1].Eol.isEmpty())
            lines[pos - 1].Eol = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pos), TIniLine{text, eol});
    };

    auto range = FindSection(lines, section);
    if (!range) {
        insertAt(lines.size(), "[" + section + "]");
        range = std::make_pair(lines.size() - 1, lines.size());
    }
    auto [first, last] = *range;
    for (const auto& [key, rawValue] : values) {
        const QByteArray text = key + "=" + OneLine(rawValue);
        bool done = false;
        QByteArray k, v;
        for (size_t i = first + 1; i < last && !done; ++i)
            if (SplitKey(lines[i].Text, k, v) && SameName(k, key)) {
                lines[i].Text = text;
                done = true;
            }
        if (done)
            continue;
        size_t pos = last;
        while (pos > first + 1 && TrimmedBlanks(lines[pos - 1].Text).isEmpty())
            --pos;
        insertAt(pos, text);
        ++last;
    }

    QByteArray out;
    out.reserve(content.size() + 64);
    for (const TIniLine& line : lines)
        out += line.Text + line.Eol;
    return out;
}
