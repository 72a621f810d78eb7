#include "framework/qv_contexte.h"

#include "framework/qv_language.h"
#include "platform/reg_hive.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QVariant>

TqvContexte* Contexte = nullptr;

namespace {

const QString kSettingsPrefix = QStringLiteral("Settings\\");

// Closes the accessor's key when an operation ends, by return or by error.
class KeyCloser {
public:
    explicit KeyCloser(TqvRegistry& registry) : m_registry(registry) {}
    ~KeyCloser() { m_registry.CloseKey(); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    TqvRegistry& m_registry;
};

// The class name without its first letter ("TFrmCrateboxMain" gives
// "FrmCrateboxMain"); a namespace qualifier does not count.
QString ClassNameWithoutFirst(const QObject* object) {
    QString name = QString::fromLatin1(object->metaObject()->className());
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    if (colons >= 0)
        name = name.mid(colons + 2);
    return name.mid(1);
}

bool HasNormalState(const QWidget* window) {
    return !(window->windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

} // namespace

TqvContexte::TqvContexte(const QString& executablePath)
    : m_executablePath(executablePath), m_registry(std::make_unique<TqvRegistry>()) {
    if (!Contexte)
        Contexte = this;
}

TqvContexte::~TqvContexte() {
    Contexte = nullptr;
}

QString TqvContexte::ApplicationName() const {
    QString path = m_executablePath;
    if (path.isEmpty())
        path = QCoreApplication::instance()
                   ? QCoreApplication::applicationFilePath()
                   : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(path).completeBaseName();
}

QString TqvContexte::NormaliseApplicationName(const QString& name) {
    QString result = name;
    for (QChar& c : result)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    if (!result.isEmpty() && result[0] >= QLatin1Char('a') && result[0] <= QLatin1Char('z'))
        result[0] = QChar(result[0].unicode() - ('a' - 'A'));
    return result;
}

QString TqvContexte::KeyPath() {
    if (m_keyPath.isEmpty())
        m_keyPath =
            QStringLiteral("\\Software\\Quarnet\\") + NormaliseApplicationName(ApplicationName());
    return m_keyPath;
}

QString TqvContexte::SectionKey(const QString& section) {
    QString key = KeyPath();
    if (!key.endsWith(QLatin1Char('\\')))
        key += QLatin1Char('\\');
    return key + section;
}

bool TqvContexte::OpenSection(const QString& section, bool canCreate) {
    return m_registry->OpenKey(SectionKey(section), canCreate);
}

void TqvContexte::CloseSection() {
    m_registry->CloseKey();
}

void TqvContexte::DeleteSection(const QString& section) {
    KeyCloser closer(*m_registry);
    try {
        m_registry->DeleteKey(SectionKey(section));
    } catch (const ERegistryError&) {
        // like a registry key that cannot be deleted: the result is ignored
    }
}

void TqvContexte::WriteString(const QString& name, const QString& value, const QString& section) {
    KeyCloser closer(*m_registry);
    if (OpenSection(section, true))
        m_registry->WriteString(name, value);
}

QString TqvContexte::ReadString(const QString& name, const QString& def, const QString& section) {
    KeyCloser closer(*m_registry);
    QString result = def;
    if (OpenSection(section, false) && m_registry->ValueExists(name)) {
        try {
            result = m_registry->ReadString(name);
        } catch (const ERegistryError&) {
            // a value of the other type reads as the default
        }
    }
    return result;
}

void TqvContexte::WriteInteger(const QString& name, qint32 value, const QString& section) {
    KeyCloser closer(*m_registry);
    if (OpenSection(section, true))
        m_registry->WriteInteger(name, value);
}

qint32 TqvContexte::ReadInteger(const QString& name, qint32 def, const QString& section) {
    KeyCloser closer(*m_registry);
    qint32 result = def;
    if (OpenSection(section, false) && m_registry->ValueExists(name)) {
        try {
            result = m_registry->ReadInteger(name);
        } catch (const ERegistryError&) {
            // a value of the other type reads as the default
        }
    }
    return result;
}

void TqvContexte::WriteBool(const QString& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

bool TqvContexte::ReadBool(const QString& name) {
    return ReadInteger(name, 0) != 0;
}

void TqvContexte::ReadStrings(QStringList& target, const QString& name, const QString& section) {
    KeyCloser closer(*m_registry);
    if (!OpenSection(section + QLatin1Char('\\') + name, false))
        return;
    for (int i = 0; i <= 1000; ++i) {
        const QString item = QString::number(i);
        if (!m_registry->ValueExists(item))
            break;
        target << m_registry->ReadString(item); // an item of the other type is an error
    }
}

void TqvContexte::WriteStrings(const QStringList& source, const QString& name,
                               const QString& section) {
    KeyCloser closer(*m_registry);
    const QStringList path = SplitKeyPath(SectionKey(section + QLatin1Char('\\') + name));
    // The old list goes with its key, and the new one is written in the same
    // step, so no other reader ever sees half a list.
    m_registry->Update([&](TqvRegKey& root) {
        const TqvRegKey* old = FindKey(root, path);
        std::vector<TqvRegValue> items;
        items.reserve(size_t(source.size()));
        for (qsizetype i = 0; i < source.size(); ++i) {
            TqvRegValue item;
            item.Name = QString::number(i);
            item.Text = source[i];
            items.push_back(std::move(item));
        }
        if (old && old->SubKeys.empty() && old->Values == items)
            return false; // the same list is stored already
        const bool removed = RemoveKey(root, path);
        TqvRegKey* key = CreateKey(root, path);
        if (!key)
            return removed; // a list key that cannot exist is skipped
        key->Values = std::move(items);
        return true;
    });
}

QString TqvContexte::FormSection(const QWidget* window, const QString& section) {
    if (!section.isEmpty())
        return section;
    if (!window)
        return kSettingsPrefix;
    if (const auto* form = qobject_cast<const TqvForm*>(window);
        form && !form->SettingsName.isEmpty())
        return kSettingsPrefix + form->SettingsName;
    return kSettingsPrefix + ClassNameWithoutFirst(window);
}

// Left and Top are the position of the window's frame, Width and Height the
// size of its client area: the two pairs that move() and resize() set, so
// what is saved is what a load restores.
void TqvContexte::LoadFormGeometry(QWidget* window, const QString& section) {
    if (!window || !HasNormalState(window))
        return;
    const QString s = FormSection(window, section);
    window->move(ReadInteger(QStringLiteral("Left"), window->x(), s), window->y());
    window->move(window->x(), ReadInteger(QStringLiteral("Top"), window->y(), s));
    if (!HasSizeableBorder(window))
        return;
    window->resize(window->width(), ReadInteger(QStringLiteral("Height"), window->height(), s));
    window->resize(ReadInteger(QStringLiteral("Width"), window->width(), s), window->height());
}

void TqvContexte::SaveFormGeometry(QWidget* window, const QString& section) {
    if (!window || !HasNormalState(window))
        return;
    const QString s = FormSection(window, section);
    WriteInteger(QStringLiteral("Left"), window->x(), s);
    WriteInteger(QStringLiteral("Top"), window->y(), s);
    WriteInteger(QStringLiteral("Height"), window->height(), s);
    WriteInteger(QStringLiteral("Width"), window->width(), s);
}

QString TqvContexte::ImageSection(const QWidget* control, QString& cachedSection) {
    if (!cachedSection.isEmpty())
        return cachedSection;
    QString result;
    const QWidget* owner = control ? control->window() : nullptr;
    if (owner && owner != control) {
        const QString name = control->objectName().isEmpty() ? ClassNameWithoutFirst(control)
                                                             : control->objectName();
        result = FormSection(owner, {}) + QLatin1Char('\\') + name;
    }
    cachedSection = result;
    return result;
}

bool HasSizeableBorder(const QWidget* window) {
    if (!window)
        return false;
    if (window->property("qvFixedBorder").toBool())
        return false;
    if (window->windowFlags() & Qt::MSWindowsFixedSizeDialogHint)
        return false;
    return window->minimumSize() != window->maximumSize();
}

TqvForm::TqvForm(QWidget* parent) : QMainWindow(parent) {
    TqvLanguage::RegisterWindow(this);
}

TqvForm::~TqvForm() {
    TqvLanguage::UnregisterWindow(this);
}
