#pragma once
// The language manager: the list of languages (English, then the language
// folders), the current one and its caption list.  Choosing a language
// translates every window (captions and hints of its named components, by
// window and component name) and the numbered texts, then fires each
// window's OnTranslated handler.
//
// Language files live in two folders: the user's own
// ($XDG_DATA_HOME/tralu/Languages), read first and the only one ever
// written, and the folder shipped with the program ("Languages" next to the
// executable, or ../share/tralu/Languages).  Each holds the English master
// CaptionList.txt and About.txt, and one sub-folder per language with the
// same two files.

#include "framework/qv_captionlist.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QObject;
class QWidget;

class TqvLanguage {
public:
    // userLanguage: the English name of the user's language; empty reads it
    // from the system's locale.
    explicit TqvLanguage(const QString& userLanguage = QString());
    ~TqvLanguage();
    TqvLanguage(const TqvLanguage&) = delete;
    TqvLanguage& operator=(const TqvLanguage&) = delete;

    const QStringList& Languages() const { return m_languages; }
    int CurrentIndex() const { return m_currentIndex; }
    const QString& UserLanguage() const { return m_userLanguage; }
    const TCaptionList& CaptionList() const { return m_captionList; }

    // The shipped folder and the user's folder (both without trailing "/").
    QString LanguagesFolder() const;
    QString UserLanguagesFolder() const;
    // Puts other folders in place of both (tests, writing the master).
    void SetFolders(const QString& shipped, const QString& user);

    // On its first call: lists the languages and picks the locale's default
    // (the "French" entry for a French-speaking user, when there is one).
    void EnsureLanguageList();
    // English, then the sub-folders of both folders (hidden ones left out),
    // in name order without regard to case.  The current language is kept
    // by name; when it is gone, English.
    void ListLanguages();
    // Empty for English, else the name of the current language.
    QString CurrentLanguageName() const;
    // The class name without its first letter.
    static QString WindowName(const QWidget* window);

    // The current language's caption list: the user's copy if it exists,
    // else the shipped one.  For English the master.
    QString CaptionListPath() const;
    // Writes every translated window's named captions and hints, then every
    // numbered text.  EToolsError when the file cannot be written.
    void WriteCaptionList(const QString& path) const;
    static QStringList CaptionListLines();
    void TranslateWindow(QWidget* window) const;
    void ApplyLanguage() const;
    void LoadCaptionList();
    QString AboutFileForEditing() const;
    QString AboutFileForShowing() const;
    void SetLanguage(int index);
    void ForceReload() { m_reload = true; }
    void AddLanguage(const QString& name);
    void EditLanguage();

    // The windows the manager translates, in the order they were created:
    // the framework's form and dialog classes register themselves.
    static void RegisterWindow(QWidget* window);
    static void UnregisterWindow(QWidget* window);
    static QList<QWidget*> TranslatedWindows();

private:
    QString LanguageFolder(const QString& base) const; // base + "/" + name, or base for English
    QString MasterPath() const; // the English master: the user's, else the shipped one

    QStringList m_languages;
    int m_currentIndex = 0;
    TCaptionList m_captionList;
    bool m_reload = false;
    bool m_listLoaded = false;
    QString m_userLanguage;
    QString m_shippedFolder; // empty: the default
    QString m_userFolder;    // empty: the default
};

// The one language manager of the run; null before it exists.
extern TqvLanguage* Language;

// What the manager reads and sets on one component: its caption (the text
// a button, label, check box, group box, menu item, action or tab shows)
// and its hint (tooltip).  False when the component has no such text.
bool ComponentCaption(const QObject* component, QString& caption);
bool SetComponentCaption(QObject* component, const QString& caption);
bool ComponentHint(const QObject* component, QString& hint);
bool SetComponentHint(QObject* component, const QString& hint);
// The named components of a window, in the window's component order
// (depth first, in order of creation); Qt's own inner objects left out.
QList<QObject*> WindowComponents(const QWidget* window);
