#pragma once
// The per-user settings context and the framework's window class.
// Values live in one hive file (see platform/reg_hive.h); every operation
// opens, reads or writes, and closes it again, so no key stays open.

#include "platform/reg_hive.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

inline const QString kInitialSection = QStringLiteral("Initial");

class TqvContexte {
public:
    // executablePath names the program whose settings these are; empty for
    // the running executable.  The hive file is DefaultHivePath() at the
    // time of construction.
    explicit TqvContexte(const QString& executablePath = {});
    ~TqvContexte();
    TqvContexte(const TqvContexte&) = delete;
    TqvContexte& operator=(const TqvContexte&) = delete;

    QString ApplicationName() const;
    QString KeyPath(); // "\Software\Quarnet\" + normalised application name

    // Opens application key + "\" + section (creating it when canCreate);
    // the key stays current until CloseSection or the next operation.
    bool OpenSection(const QString& section, bool canCreate);
    void CloseSection();
    void DeleteSection(const QString& section);

    // Reads give the default when the section or value is missing or the
    // value has the other type.  Writes raise ERegistryError
    // (platform/reg_hive.h) when the hive file cannot be written; a
    // section whose name cannot exist is skipped.
    void WriteString(const QString& name, const QString& value,
                     const QString& section = kInitialSection);
    QString ReadString(const QString& name, const QString& def = {},
                       const QString& section = kInitialSection);
    void WriteInteger(const QString& name, qint32 value, const QString& section = kInitialSection);
    qint32 ReadInteger(const QString& name, qint32 def, const QString& section = kInitialSection);
    void WriteBool(const QString& name, bool value);
    bool ReadBool(const QString& name);
    // Appends to target (not cleared); stops at the first missing index and
    // after item "1000".  An item that is not a string raises ERegistryError.
    void ReadStrings(QStringList& target, const QString& name,
                     const QString& section = kInitialSection);
    // Replaces the whole list: items "0" .. count-1 of a fresh sub-key.
    void WriteStrings(const QStringList& source, const QString& name,
                      const QString& section = kInitialSection);

    // Window geometry; see FormSection for where it is stored.
    static QString FormSection(const QWidget* window, const QString& section);
    void LoadFormGeometry(QWidget* window, const QString& section = {});
    void SaveFormGeometry(QWidget* window, const QString& section = {});
    static QString ImageSection(const QWidget* control, QString& cachedSection);

    // Lower-cases ASCII letters, then upper-cases a leading a..z.
    static QString NormaliseApplicationName(const QString& name);

private:
    QString SectionKey(const QString& section);

    QString m_executablePath;
    QString m_keyPath;
    std::unique_ptr<TqvRegistry> m_registry;
};

// The one settings context of the run (the first constructed); null before
// it exists and after any context is destroyed.
extern TqvContexte* Contexte;

// Whether a window's border lets the user resize it.  Windows with a fixed
// border set the dynamic property "qvFixedBorder" to true (or have equal
// minimum and maximum sizes).
bool HasSizeableBorder(const QWidget* window);

// The framework's window class.
class TqvForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TqvForm(QWidget* parent = nullptr);
    ~TqvForm() override;
    QString SettingsName; // replaces the class name in FormSection when set
    std::function<void(TqvForm*)> OnTranslated;
};
