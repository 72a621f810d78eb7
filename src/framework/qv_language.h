#pragma once
// The language manager: the list of languages (English, then the folders
// of the Languages folder) and the current one.  Choosing a language
// re-translates every window and fires each window's OnTranslated handler.
// Reading and writing caption lists comes with the language files.

#include <QString>
#include <QStringList>

class QWidget;

class TqvLanguage {
public:
    TqvLanguage();
    ~TqvLanguage();
    TqvLanguage(const TqvLanguage&) = delete;
    TqvLanguage& operator=(const TqvLanguage&) = delete;

    const QStringList& Languages() const { return m_languages; }
    int CurrentIndex() const { return m_currentIndex; }

    void EnsureLanguageList();
    void ListLanguages();
    static QString LanguagesFolder();
    QString CurrentLanguageName() const;
    static QString WindowName(const QWidget* window);
    void TranslateWindow(QWidget* window);
    void ApplyLanguage();
    void SetLanguage(int index);
    void ForceReload() { m_reload = true; }

private:
    QStringList m_languages;
    int m_currentIndex = 0;
    bool m_reload = false;
    bool m_listLoaded = false;
    QString m_userLanguage;
};

// The one language manager of the run; null before it exists.
extern TqvLanguage* Language;
