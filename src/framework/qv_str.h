#pragma once
// The numbered interface texts.  Code fetches a text by its number at the
// moment it shows it, so that a language file can replace any entry.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <stdexcept>

// An ordered list of texts indexed from 0; entries are only appended, so a
// number never changes during a run.
class TqvStringList {
public:
    int Append(const QString& text);
    QString Get(int index) const;             // empty for an unknown number
    void Put(int index, const QString& text); // ignored for an unknown number
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear() { m_items.clear(); }

private:
    QStringList m_items;
};

// The one table of numbered texts (created before anything else, freed last).
TqvStringList& StringList();

// The framework's texts, appended when the framework starts.
namespace qv_str {
extern int LanguageToAdd; // 0
extern int NameColon;     // 1
extern int About;         // 2
extern int EditAboutFile; // 3
extern int Ok;            // 4
extern int Cancel;        // 5
extern int Add;           // 6
extern int Delete;        // 7
extern int Replace;       // 8
// Appends entries 0 to 8; called once at start-up.
void AppendFrameworkTexts();
} // namespace qv_str

// A translation whose placeholders do not fit the values it is given.
class EFormatError : public std::runtime_error {
public:
    explicit EFormatError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// printf-style formatting of a numbered text, checked: each %d takes an
// integer, each %s a string, %% is a percent sign; a placeholder of the wrong
// kind, or more placeholders than values, raises EFormatError.  A text that
// leaves a value out simply does not show it.
QString FormatText(const QString& format, const QVariantList& values);
