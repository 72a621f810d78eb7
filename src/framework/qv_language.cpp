#include "framework/qv_language.h"

#include "framework/qv_Component.h"
#include "framework/qv_contexte.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>

TqvLanguage* Language = nullptr;

namespace {

const QString kCaptionListFile = QStringLiteral("CaptionList.txt");
const QString kAboutFile = QStringLiteral("About.txt");
const QString kEnglish = QStringLiteral("English");

QList<QPointer<QWidget>>& Windows() {
    static QList<QPointer<QWidget>> windows;
    return windows;
}

// The text an action shows as its tooltip when none was set.
QString StrippedText(QString text) {
    text.remove(QLatin1String("..."));
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i) == u'&')
            text.remove(i, 1);
    return text.trimmed();
}

// The menu's own action (the item that opens it) is the menu's component.
bool IsMenuAction(const QAction* action) {
    const auto* menu = qobject_cast<const QMenu*>(action->parent());
    return menu && menu->menuAction() == action;
}

// The tab control and index of a tab sheet, when the widget is one.
QTabWidget* TabOf(const QObject* component, int& index) {
    const auto* widget = qobject_cast<const QWidget*>(component);
    if (!widget || !qobject_cast<const QStackedWidget*>(widget->parent()))
        return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(widget->parent()->parent());
    if (!tabs)
        return nullptr;
    index = tabs->indexOf(const_cast<QWidget*>(widget));
    return index >= 0 ? tabs : nullptr;
}

QStringList SubFolders(const QString& folder) {
    if (folder.isEmpty())
        return {};
    QStringList result;
    const QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        if (!name.startsWith(QLatin1Char('.')))
            result << name;
    return result;
}

} // namespace

// --- components ---------------------------------------------------------------

bool ComponentCaption(const QObject* component, QString& caption) {
    if (const auto* action = qobject_cast<const QAction*>(component)) {
        if (action->isSeparator() || IsMenuAction(action))
            return false;
        caption = action->text();
        return true;
    }
    if (const auto* menu = qobject_cast<const QMenu*>(component)) {
        caption = menu->title();
        return true;
    }
    int index = -1;
    if (const QTabWidget* tabs = TabOf(component, index)) {
        caption = tabs->tabText(index);
        return true;
    }
    if (const auto* label = qobject_cast<const TqvLabel*>(component)) {
        caption = label->Caption();
        return true;
    }
    if (const auto* label = qobject_cast<const QLabel*>(component)) {
        caption = label->text();
        return true;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(component)) {
        caption = button->text();
        return true;
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(component)) {
        caption = group->title();
        return true;
    }
    return false;
}

bool SetComponentCaption(QObject* component, const QString& caption) {
    if (auto* action = qobject_cast<QAction*>(component)) {
        if (action->isSeparator() || IsMenuAction(action))
            return false;
        action->setText(caption);
        return true;
    }
    if (auto* menu = qobject_cast<QMenu*>(component)) {
        menu->setTitle(caption);
        return true;
    }
    int index = -1;
    if (QTabWidget* tabs = TabOf(component, index)) {
        tabs->setTabText(index, caption);
        return true;
    }
    if (auto* label = qobject_cast<TqvLabel*>(component)) {
        label->SetCaption(caption);
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(component)) {
        label->setText(caption);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(component)) {
        button->setText(caption);
        return true;
    }
    if (auto* group = qobject_cast<QGroupBox*>(component)) {
        group->setTitle(caption);
        return true;
    }
    return false;
}

bool ComponentHint(const QObject* component, QString& hint) {
    if (const auto* action = qobject_cast<const QAction*>(component)) {
        if (action->isSeparator() || IsMenuAction(action))
            return false;
        hint = action->toolTip();
        // Without a hint of its own an action offers its caption.
        if (hint == StrippedText(action->text()))
            hint.clear();
        return true;
    }
    int index = -1;
    if (const QTabWidget* tabs = TabOf(component, index)) {
        hint = tabs->tabToolTip(index);
        return true;
    }
    if (const auto* widget = qobject_cast<const QWidget*>(component)) {
        hint = widget->toolTip();
        return true;
    }
    return false;
}

bool SetComponentHint(QObject* component, const QString& hint) {
    if (auto* action = qobject_cast<QAction*>(component)) {
        if (action->isSeparator() || IsMenuAction(action))
            return false;
        action->setToolTip(hint);
        return true;
    }
    int index = -1;
    if (QTabWidget* tabs = TabOf(component, index)) {
        tabs->setTabToolTip(index, hint);
        return true;
    }
    if (auto* widget = qobject_cast<QWidget*>(component)) {
        widget->setToolTip(hint);
        return true;
    }
    return false;
}

namespace {
// Depth first, children in order of creation.  A stacked widget moves the
// page it shows to the end of its children, so its pages go by their index
// instead: the order does not depend on the tab that is open.
void CollectComponents(const QObject* parent, QList<QObject*>& result) {
    QObjectList children = parent->children();
    if (const auto* stack = qobject_cast<const QStackedWidget*>(parent)) {
        std::stable_partition(children.begin(), children.end(), [stack](QObject* child) {
            const auto* widget = qobject_cast<QWidget*>(child);
            return !widget || stack->indexOf(const_cast<QWidget*>(widget)) < 0;
        });
        std::stable_sort(children.begin(), children.end(), [stack](QObject* a, QObject* b) {
            const auto index = [stack](QObject* o) {
                auto* widget = qobject_cast<QWidget*>(o);
                return widget ? stack->indexOf(widget) : -1;
            };
            return index(a) < index(b);
        });
    }
    for (QObject* child : children) {
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            result << child;
        CollectComponents(child, result);
    }
}
} // namespace

QList<QObject*> WindowComponents(const QWidget* window) {
    QList<QObject*> result;
    if (window)
        CollectComponents(window, result);
    return result;
}

// --- the manager ---------------------------------------------------------------

TqvLanguage::TqvLanguage(const QString& userLanguage) {
    m_userLanguage =
        (userLanguage.isEmpty() ? QLocale::languageToString(QLocale::system().language())
                                : userLanguage)
            .left(10);
    m_languages << kEnglish;
    if (!Language)
        Language = this;
}

TqvLanguage::~TqvLanguage() {
    if (Language == this)
        Language = nullptr;
}

void TqvLanguage::RegisterWindow(QWidget* window) {
    if (window && !Windows().contains(window))
        Windows().append(window);
}

void TqvLanguage::UnregisterWindow(QWidget* window) {
    Windows().removeAll(window);
}

QList<QWidget*> TqvLanguage::TranslatedWindows() {
    QList<QWidget*> result;
    Windows().removeAll(nullptr);
    for (const QPointer<QWidget>& window : Windows())
        result << window.data();
    return result;
}

QString TqvLanguage::LanguagesFolder() const {
    if (!m_shippedFolder.isEmpty())
        return m_shippedFolder;
    return RemoveBackslash(ApplicationDataPath(QStringLiteral("Languages")));
}

QString TqvLanguage::UserLanguagesFolder() const {
    if (!m_userFolder.isEmpty())
        return m_userFolder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tralu/Languages");
}

void TqvLanguage::SetFolders(const QString& shipped, const QString& user) {
    m_shippedFolder = RemoveBackslash(shipped);
    m_userFolder = RemoveBackslash(user);
}

void TqvLanguage::ListLanguages() {
    const QString current = m_currentIndex > 0 ? m_languages.value(m_currentIndex) : QString();
    QStringList names = SubFolders(UserLanguagesFolder());
    for (const QString& name : SubFolders(LanguagesFolder()))
        if (!names.contains(name))
            names << name;
    std::stable_sort(names.begin(), names.end(), ListingOrderLess);
    m_languages.clear();
    m_languages << kEnglish;
    m_languages << names;
    if (m_listLoaded)
        m_currentIndex = current.isEmpty() ? 0 : std::max<int>(0, m_languages.indexOf(current));
}

void TqvLanguage::EnsureLanguageList() {
    if (m_listLoaded)
        return;
    ListLanguages();
    // A French-speaking user starts in French when it is there.
    m_currentIndex = 0;
    if (m_userLanguage.compare(QLatin1String("French"), Qt::CaseInsensitive) == 0)
        for (int i = 1; i < m_languages.size(); ++i)
            if (m_languages[i].compare(QLatin1String("French"), Qt::CaseInsensitive) == 0) {
                m_currentIndex = i;
                break;
            }
    m_listLoaded = true;
}

QString TqvLanguage::CurrentLanguageName() const {
    return m_currentIndex <= 0 ? QString() : m_languages.value(m_currentIndex);
}

QString TqvLanguage::WindowName(const QWidget* window) {
    QString name = QString::fromLatin1(window->metaObject()->className());
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    if (colons >= 0)
        name = name.mid(colons + 2);
    return name.mid(1);
}

QString TqvLanguage::LanguageFolder(const QString& base) const {
    const QString name = CurrentLanguageName();
    return name.isEmpty() ? base : base + QLatin1Char('/') + name;
}

QString TqvLanguage::MasterPath() const {
    const QString user = UserLanguagesFolder() + QLatin1Char('/') + kCaptionListFile;
    return QFileInfo::exists(user) ? user : LanguagesFolder() + QLatin1Char('/') + kCaptionListFile;
}

QString TqvLanguage::CaptionListPath() const {
    const QString user =
        LanguageFolder(UserLanguagesFolder()) + QLatin1Char('/') + kCaptionListFile;
    if (QFileInfo::exists(user))
        return user;
    return LanguageFolder(LanguagesFolder()) + QLatin1Char('/') + kCaptionListFile;
}

void TqvLanguage::LoadCaptionList() {
    QFile file(CaptionListPath());
    // A missing list keeps the lines of the language loaded before.
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    m_captionList.Load(file.readAll());
}

QStringList TqvLanguage::CaptionListLines() {
    QStringList lines;
    for (QWidget* window : TranslatedWindows()) {
        const QString windowName = WindowName(window);
        for (QObject* component : WindowComponents(window)) {
            const QString name = component->objectName();
            QString caption, hint;
            if (!name.startsWith(QLatin1Char('_')) && ComponentCaption(component, caption) &&
                !caption.isEmpty())
                lines << CaptionLine(windowName + u'.' + name + QStringLiteral(".Caption"),
                                     caption);
            if (ComponentHint(component, hint) && !hint.isEmpty())
                lines << CaptionLine(windowName + u'.' + name + QStringLiteral(".Hint"), hint);
        }
    }
    const TqvStringList& strings = StringList();
    for (int i = 0; i < strings.Count(); ++i)
        lines << CaptionLine(QStringLiteral("strings.%1").arg(i), strings.Get(i));
    return lines;
}

void TqvLanguage::WriteCaptionList(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EToolsError(
            QStringLiteral("Cannot write the caption list %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = CaptionListBytes(CaptionListLines());
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw EToolsError(
            QStringLiteral("Cannot write the caption list %1: %2").arg(path, file.errorString()));
}

void TqvLanguage::TranslateWindow(QWidget* window) const {
    if (!window)
        return;
    if (!m_captionList.IsEmpty()) {
        const QString windowName = WindowName(window);
        for (QObject* component : WindowComponents(window)) {
            const QString prefix = windowName + u'.' + component->objectName();
            QString current;
            if (ComponentCaption(component, current)) {
                const QString caption = m_captionList.Value(prefix + QStringLiteral(".Caption"));
                if (!caption.isEmpty())
                    SetComponentCaption(component, caption);
            }
            if (ComponentHint(component, current)) {
                const QString hint = m_captionList.Value(prefix + QStringLiteral(".Hint"));
                if (!hint.isEmpty())
                    SetComponentHint(component, hint);
            }
        }
    }
    if (auto* form = qobject_cast<TqvForm*>(window); form && form->OnTranslated)
        form->OnTranslated(form);
}

void TqvLanguage::ApplyLanguage() const {
    TqvStringList& strings = StringList();
    for (int i = 0; i < strings.Count(); ++i) {
        const QString value = m_captionList.Value(QStringLiteral("strings.%1").arg(i));
        if (!value.isEmpty())
            strings.Put(i, value);
    }
    for (QWidget* window : TranslatedWindows())
        TranslateWindow(window);
}

void TqvLanguage::SetLanguage(int index) {
    if (!m_reload && index == m_currentIndex)
        return;
    if (index < 0 || index >= m_languages.size()) {
        m_currentIndex = 0;
        return;
    }
    m_currentIndex = index;
    LoadCaptionList();
    ApplyLanguage();
    m_reload = false;
}

void TqvLanguage::AddLanguage(const QString& name) {
    if (name.isEmpty())
        return;
    // The name becomes one folder inside the user's languages folder.
    if (name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        throw EToolsError(
            QStringLiteral("\"%1\" cannot be a language name: it may not contain \"/\" or "
                           "begin with \".\"")
                .arg(name));
    const QString folder = UserLanguagesFolder() + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + kCaptionListFile;
    ShellCopy(MasterPath(), target); // a failed copy shows when the file is opened
    ListLanguages();
    ShellOpen(target);
}

void TqvLanguage::EditLanguage() {
    const QString user =
        LanguageFolder(UserLanguagesFolder()) + QLatin1Char('/') + kCaptionListFile;
    if (!QFileInfo::exists(user)) {
        const QString shipped =
            LanguageFolder(LanguagesFolder()) + QLatin1Char('/') + kCaptionListFile;
        if (QFileInfo::exists(shipped)) {
            // The shipped files are never written: the user edits a copy.
            QDir().mkpath(QFileInfo(user).path());
            ShellCopy(shipped, user);
        } else if (m_currentIndex > 0) {
            AddLanguage(CurrentLanguageName()); // copies the master and opens it
            return;
        } else {
            QDir().mkpath(QFileInfo(user).path());
            WriteCaptionList(user);
        }
    }
    ShellOpen(user);
}

QString TqvLanguage::AboutFileForEditing() const {
    const QString user = LanguageFolder(UserLanguagesFolder()) + QLatin1Char('/') + kAboutFile;
    if (!QFileInfo::exists(user)) {
        // Creation failures are not reported here: opening the file reports them.
        QDir().mkpath(QFileInfo(user).path());
        const QString shipped = LanguageFolder(LanguagesFolder()) + QLatin1Char('/') + kAboutFile;
        if (!QFileInfo::exists(shipped) || !ShellCopy(shipped, user)) {
            QFile file(user);
            if (file.open(QIODevice::WriteOnly))
                file.close();
        }
    }
    return user;
}

QString TqvLanguage::AboutFileForShowing() const {
    for (const QString& path :
         {LanguageFolder(UserLanguagesFolder()) + QLatin1Char('/') + kAboutFile,
          LanguageFolder(LanguagesFolder()) + QLatin1Char('/') + kAboutFile,
          UserLanguagesFolder() + QLatin1Char('/') + kAboutFile})
        if (QFileInfo::exists(path))
            return path;
    return LanguagesFolder() + QLatin1Char('/') + kAboutFile;
}
