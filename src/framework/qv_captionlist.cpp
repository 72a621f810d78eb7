#include "framework/qv_captionlist.h"

namespace {
QString FoldedKey(const QString& key) {
    return key.toCaseFolded();
}
} // namespace

void TCaptionList::Clear() {
    m_keys.clear();
    m_values.clear();
}

void TCaptionList::Load(const QByteArray& bytes) {
    Clear();
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start <= size) {
        qsizetype end = start;
        while (end < size && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        const qsizetype equals = line.indexOf(u'=');
        if (equals >= 0) {
            const QString key = line.left(equals).toString();
            QString folded = FoldedKey(key);
            if (!m_values.contains(folded)) {
                m_values.insert(std::move(folded), line.mid(equals + 1).toString());
                m_keys.append(key);
            }
        }
        if (end >= size)
            break;
        // CR LF is one line end; CR or LF alone as well.
        start = end + 1;
        if (text.at(end) == u'\r' && start < size && text.at(start) == u'\n')
            ++start;
    }
}

QString TCaptionList::Value(const QString& key) const {
    return m_values.value(FoldedKey(key));
}

bool TCaptionList::Contains(const QString& key) const {
    return m_values.contains(FoldedKey(key));
}

QString CaptionLine(const QString& key, const QString& value) {
    return key + QLatin1Char('=') + value;
}

QByteArray CaptionListBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}
