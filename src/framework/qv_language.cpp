#include "framework/qv_language.h"

#include "framework/qv_contexte.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QWidget>

TqvLanguage* Language = nullptr;

TqvLanguage::TqvLanguage() {
    m_userLanguage = QLocale::languageToString(QLocale::system().language()).left(10);
    m_currentIndex = m_userLanguage.compare(QLatin1String("French"), Qt::CaseInsensitive) == 0;
    m_languages << QStringLiteral("English");
    if (!Language)
        Language = this;
}

TqvLanguage::~TqvLanguage() {
    if (Language == this)
        Language = nullptr;
}

QString TqvLanguage::LanguagesFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QStringLiteral("/Languages");
    if (QDir(beside).exists())
        return beside;
    const QString shared = folder + QStringLiteral("/../share/tralu/Languages");
    if (QDir(shared).exists())
        return QDir::cleanPath(shared);
    return beside;
}

void TqvLanguage::ListLanguages() {
    m_languages.clear();
    m_languages << QStringLiteral("English");
    const QDir dir(LanguagesFolder());
    const QStringList subs =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& name : subs)
        m_languages << name;
}

void TqvLanguage::EnsureLanguageList() {
    if (m_listLoaded)
        return;
    ListLanguages();
    if (m_currentIndex >= m_languages.size())
        m_currentIndex = 0;
    m_listLoaded = true;
}

QString TqvLanguage::CurrentLanguageName() const {
    return m_currentIndex <= 0 ? QString() : m_languages.value(m_currentIndex);
}

QString TqvLanguage::WindowName(const QWidget* window) {
    return QString::fromLatin1(window->metaObject()->className()).mid(1);
}

void TqvLanguage::TranslateWindow(QWidget* window) {
    if (auto* form = qobject_cast<TqvForm*>(window); form && form->OnTranslated)
        form->OnTranslated(form);
}

void TqvLanguage::ApplyLanguage() {
    for (QWidget* w : QApplication::topLevelWidgets())
        TranslateWindow(w);
}

void TqvLanguage::SetLanguage(int index) {
    if (index < 0 || index >= m_languages.size())
        index = 0;
    if (index == m_currentIndex && !m_reload)
        return;
    m_currentIndex = index;
    m_reload = false;
    ApplyLanguage();
}
