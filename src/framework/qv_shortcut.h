#pragma once
// Shortcut files: a symbolic link, or a Windows shell link (".lnk") file
// made on Windows.  Reading gives the target; writing makes a symbolic link.

#include <QByteArray>
#include <QFlags>
#include <QString>

enum class TShowCommand {
    Hide,
    Maximize,
    Minimize,
    Restore,
    Show,
    ShowDefault,
    ShowMinimized,
    ShowMinNoActive,
    ShowNA,
    ShowNoActivate,
    ShowNormal
};

enum class THotKeyModifier { Alt = 1, Control = 2, ExtendedKey = 4, Shift = 8 };
Q_DECLARE_FLAGS(THotKeyModifiers, THotKeyModifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(THotKeyModifiers)

// The show command of a shell link's show-window number; false (and
// nothing changed) for a number above 10.
bool ShowCommandFromNumber(quint32 number, TShowCommand& command);
// The hot key of a shell link's hot-key value: key code in the low byte,
// modifiers in the high byte.
void SplitHotKey(quint16 value, quint16& key, THotKeyModifiers& modifiers);

class TVirtualShellLink {
public:
    // Loads the shortcut and fills the fields.  A symbolic link gives its
    // target (a relative one resolved against the link's folder), also when
    // that target does not exist (callers check it); a .lnk file gives its relative path
    // resolved against its own folder when that exists, else its local path.
    // Every field is reset first, so on failure all are empty (ShowCommand
    // back to ShowNormal) and the result is false.
    bool ReadShortcut(const QString& fileName);

    QString FileName; // the shortcut last read; empty after a failed read
    QString TargetPath;
    QString Arguments;
    QString Description;
    QString WorkingDirectory;
    QString IconLocation;
    qint32 IconIndex = 0;
    QByteArray ItemIdList; // a .lnk file's item-ID list; empty for a link
    quint16 HotKey = 0;
    THotKeyModifiers HotKeyModifiers;
    TShowCommand ShowCommand = TShowCommand::ShowNormal;

private:
    void Clear();
};

// The one reader of the application, made on first use.
TVirtualShellLink& SharedShortcutReader();

// Makes linkFile (".lnk" ending included, if the caller gives one) a
// symbolic link to the absolute form of target, replacing whatever file or
// link has that name, in one step.  A symbolic link cannot carry arguments,
// so arguments are not stored.  False when the link cannot be written.
bool CreateShortcut(const QString& target, const QString& linkFile,
                    const QString& arguments = QString());

// The name to show for a shortcut file: without a ".lnk" ending (any case).
QString ShortcutDisplayName(const QString& fileName);

// The absolute target of a shell link's relative path (backslashes or
// slashes), taken from the folder of the .lnk file.
QString ResolveLnkRelativePath(const QString& lnkFile, const QString& relativePath);
