// Main window: the new-music list, the bookmarks, the cover search and the
// pasted or dropped cover.  The rules live in records/cx_shortcut_lists.
#include "app/Cratebox_str.h"
#include "app/cx_browser_rules.h"
#include "app/cx_fmain.h"
#include "app/cx_foldertree.h"

#include "framework/qv_Component.h"
#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"
#include "platform/atomic_file.h"
#include "platform/file_ops.h"
#include "platform/picture_loader.h"
#include "records/cx_shortcut_lists.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>
#include <QUrl>

namespace {

bool IsExistingFolder(const QString& path) {
    const auto st = FileStatus(path, true);
    return st && st->IsDirectory;
}

// A name that stays directly inside the music root.
bool IsPlainFolderName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

// Double clicks and dropped files on the cover and its panel.
class TCoverEvents : public QObject {
public:
    TCoverEvents(QObject* parent, std::function<void()> onDoubleClick,
                 std::function<void(const QStringList&)> onDrop)
        : QObject(parent), m_onDoubleClick(std::move(onDoubleClick)), m_onDrop(std::move(onDrop)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            RunGuarded(m_onDoubleClick);
            return true;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const QStringList files = LocalFiles(drag->mimeData());
            if (!files.isEmpty() && IsPictureExtension(QFileInfo(files.first()).suffix()))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = LocalFiles(drop->mimeData());
            drop->acceptProposedAction();
            RunGuarded([&] { m_onDrop(files); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    std::function<void()> m_onDoubleClick;
    std::function<void(const QStringList&)> m_onDrop;
};

} // namespace

void TFrmCrateboxMain::BuildShortcutsArea() {
    cmImageSearch = PopupMenuImage->addAction(QStringLiteral("Image search"));
    cmImageSearch->setObjectName(QStringLiteral("cmImageSearch"));
    cmPasteImage = PopupMenuImage->addAction(QStringLiteral("Paste image"));
    cmPasteImage->setObjectName(QStringLiteral("cmPasteImage"));
    connect(PopupMenuImage, &QMenu::aboutToShow, this, Guarded([this] { PopupMenuImagePopup(); }));
    connect(cmImageSearch, &QAction::triggered, this,
            Guarded([this](bool) { ImageFolderDblClick(); }));
    connect(cmPasteImage, &QAction::triggered, this,
            Guarded([this](bool) { cmPasteImageClick(); }));
    connect(cmNews, &QAction::triggered, this, Guarded([this](bool) { cmNewsClick(); }));
    connect(_sbBookmarkIt, &QPushButton::clicked, this,
            Guarded([this](bool) { _sbBookmarkItClick(); }));
    auto* coverEvents = new TCoverEvents(
        this, [this] { ImageFolderDblClick(); },
        [this](const QStringList& files) { ImageFolderDropFiles(files); });
    pnImage->installEventFilter(coverEvents);
    ImageFolder->installEventFilter(coverEvents);
    pnImage->setAcceptDrops(true);
}

// --- new-music list ------------------------------------------------------------------

void TFrmCrateboxMain::cmNewsClick() {
    const TqvStringList& texts = StringList();
    const QString question =
        FormatText(texts.Get(Cratebox_str::CreateNewMusicList) + QStringLiteral("\r\n") +
                       texts.Get(Cratebox_str::DaysLimit) + QStringLiteral("\r\n") +
                       texts.Get(Cratebox_str::InDirectory),
                   {NewDays, NewMusicDir});
    if (!Confirm(question))
        return;
    BuildNewMusicList(true);
    if (!NewsNode)
        return;
    if (FocusedNode() == NewsNode)
        VSTFocusChanged();
    else
        VST->setCurrentIndex(VSTModel->IndexOf(NewsNode));
}

void TFrmCrateboxMain::BuildNewMusicList(bool showProgress) {
    if (MusicRoot.isEmpty() || !IsExistingFolder(MusicRoot))
        return;
    TNewMusicOptions options;
    options.Days = NewDays;
    options.UseDirDate = UseDirDate;
    options.OnFolder = [this, showProgress](const QString& folder) {
        if (showProgress) {
            SetStatusText(folder);
            QCoreApplication::processEvents();
        }
        return !Closing;
    };
    options.Stopped = [this] { return Closing; };
    const TNewMusicResult result =
        RebuildNewMusicList(MusicRoot, NewMusicDir, BookmarkDir, options);
    if (showProgress && !Closing)
        SetStatusText(CurrentFolder());
    if (!result.Error.isEmpty())
        throw EToolsError(result.Error);
    if (NewsNode && !result.Stopped)
        RefreshNode(NewsNode);
}

// --- bookmarks -------------------------------------------------------------------------

void TFrmCrateboxMain::_sbBookmarkItClick() {
    TFolderNode* node = FocusedNode();
    if (!node || BookmarkDir.isEmpty())
        return;
    if (!IsPlainFolderName(BookmarkDir))
        throw EToolsError(QStringLiteral("The bookmark folder \"%1\" must be the name of a folder "
                                         "directly inside the music root")
                              .arg(BookmarkDir));
    const QString folder = AddBackslash(MusicRoot) + BookmarkDir;
    if (_sbBookmarkIt->property("Tag").toInt() == 0) {
        QDir().mkpath(folder);
        const QString name =
            BookmarkName(node->Data.Path, node->Data.Name, NewsNode && node->IsBelow(NewsNode));
        const QString file = AddBackslash(folder) + name + QStringLiteral(".lnk");
        if (!CreateShortcut(node->Data.Path, file))
            throw EToolsError(QStringLiteral("Cannot write the bookmark \"%1\"").arg(file));
        return;
    }
    // Only a bookmark file itself goes, never a shortcut inside a record.
    const QString link = node->Data.ShortcutFile;
    if (link.isEmpty() || !SameFolder(QFileInfo(link).path(), folder))
        return;
    if (!ShellDelete(link))
        return;
    TFolderNode* parent = node->Parent();
    VST->selectionModel()->clearCurrentIndex();
    VSTModel->DeleteNode(node);
    if (parent && !parent->IsRoot())
        VST->setCurrentIndex(VSTModel->IndexOf(parent));
}

// --- shortcuts following renames ---------------------------------------------------------

void TFrmCrateboxMain::FolderRenamed(const QString& oldPath, const QString& newPath) {
    if (MusicRoot.isEmpty())
        return;
    QStringList folders;
    for (const QString& name : {NewMusicDir, BookmarkDir})
        if (IsPlainFolderName(name) && IsExistingFolder(AddBackslash(MusicRoot) + name))
            folders << AddBackslash(MusicRoot) + name;
    const std::vector<TShortcutChange> changes = RepointShortcuts(folders, oldPath, newPath);
    if (changes.empty())
        return;
    for (TFolderNode* list : {NewsNode, BookmarkNode}) {
        if (!list)
            continue;
        for (int i = 0; i < list->ChildCount(); ++i) {
            TFolderNode* child = VSTModel->Child(list, i);
            for (const TShortcutChange& change : changes) {
                if (child->Data.ShortcutFile != change.OldFile)
                    continue;
                child->Data.ShortcutFile = change.NewFile;
                child->Data.Path = change.NewTarget;
                child->Data.Name = ShortcutDisplayName(QFileInfo(change.NewFile).fileName());
                child->Data.Hint.clear();
                VSTModel->NodeChanged(child);
            }
        }
    }
}

// --- cover search and paste ------------------------------------------------------------

void TFrmCrateboxMain::ImageFolderDblClick() {
    const QString address =
        ImageSearchAddress(SearchImage, ImageSearchTerm(RemoveBackslash(CurrentFolder())));
    const QString file = TempFolder() + QStringLiteral("Tralusearch.url");
    QString error;
    if (!AtomicWriteFile(file, SearchShortcutText(address), &error))
        throw EToolsError(QStringLiteral("Cannot write \"%1\": %2").arg(file, error));
    ShellOpen(file);
}

void TFrmCrateboxMain::PopupMenuImagePopup() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    cmPasteImage->setEnabled(data && data->hasImage());
    cmImageSearch->setEnabled(true);
}

void TFrmCrateboxMain::cmPasteImageClick() {
    if (CurrentFolder().isEmpty())
        return;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (!picture.isNull())
        SaveCoverPicture(picture);
}

void TFrmCrateboxMain::ImageFolderDropFiles(const QStringList& files) {
    if (CurrentFolder().isEmpty() || files.isEmpty())
        return;
    QString error;
    const QImage picture = ReadPicture(files.first(), QSize(), &error);
    if (picture.isNull())
        throw EToolsError(
            QStringLiteral("Cannot read the picture \"%1\": %2").arg(files.first(), error));
    SaveCoverPicture(picture);
}

void TFrmCrateboxMain::SaveCoverPicture(const QImage& picture) {
    const QString folder = RemoveBackslash(CurrentFolder());
    if (folder.isEmpty())
        return;
    // The record's own "Folder.bmp" when it has one in another case.
    QString path = folder + QStringLiteral("/Folder.bmp");
    for (const TFolderEntry& entry : ListFolder(folder))
        if (entry.Name.compare(QLatin1String("Folder.bmp"), Qt::CaseInsensitive) == 0) {
            path = folder + QLatin1Char('/') + entry.Name;
            break;
        }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP"))
        throw EToolsError(QStringLiteral("Cannot make a bitmap of the picture"));
    QString error;
    if (!AtomicWriteFile(path, bytes, &error))
        throw EToolsError(QStringLiteral("Cannot write the cover \"%1\": %2").arg(path, error));
    if (!Pictures.contains(QFileInfo(path).fileName()))
        Pictures.append(QFileInfo(path).fileName());
    ShowCover(folder);
    RefreshRecordsGrid(false);
    if (SameFolder(QFileInfo(folder).path(), MusicRoot))
        RebuildToolbar(MusicRoot);
}
