#include "framework/qv_str.h"

int TqvStringList::Append(const QString& text) {
    m_items.append(text);
    return static_cast<int>(m_items.size()) - 1;
}

QString TqvStringList::Get(int index) const {
    return index >= 0 && index < m_items.size() ? m_items.at(index) : QString();
}

void TqvStringList::Put(int index, const QString& text) {
    if (index >= 0 && index < m_items.size())
        m_items[index] = text;
}

TqvStringList& StringList() {
    static TqvStringList list;
    return list;
}

namespace qv_str {
int LanguageToAdd = -1;
int NameColon = -1;
int About = -1;
int EditAboutFile = -1;
int Ok = -1;
int Cancel = -1;
int Add = -1;
int Delete = -1;
int Replace = -1;

void AppendFrameworkTexts() {
    TqvStringList& s = StringList();
    LanguageToAdd = s.Append(QStringLiteral("Language to add"));
    NameColon = s.Append(QStringLiteral("Name :"));
    About = s.Append(QStringLiteral("About"));
    EditAboutFile = s.Append(QStringLiteral("Edit about file"));
    Ok = s.Append(QStringLiteral("OK"));
    Cancel = s.Append(QStringLiteral("Cancel"));
    Add = s.Append(QStringLiteral("Add"));
    Delete = s.Append(QStringLiteral("Delete"));
    Replace = s.Append(QStringLiteral("Replace"));
}
} // namespace qv_str

QString FormatText(const QString& format, const QVariantList& values) {
    QString out;
    out.reserve(format.size() + 16);
    int next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != u'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar kind = format.at(++i);
        if (kind == u'%') {
            out += u'%';
            continue;
        }
        if (kind != u'd' && kind != u's')
            throw EFormatError(QStringLiteral("Format \"%1\" has an unknown placeholder %%2")
                                   .arg(format, QString(kind)));
        if (next >= values.size())
            throw EFormatError(
                QStringLiteral("Format \"%1\" has more placeholders than values").arg(format));
        const QVariant& v = values.at(next++);
        const bool isInt = v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                           v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULongLong;
        if (kind == u'd' && !isInt)
            throw EFormatError(
                QStringLiteral("Format \"%1\" expects a number where a text comes").arg(format));
        if (kind == u's' && v.typeId() != QMetaType::QString)
            throw EFormatError(
                QStringLiteral("Format \"%1\" expects a text where a number comes").arg(format));
        out += v.toString();
    }
    return out;
}
