// Main window: the window design (panes, toolbar, tabs, menus, status bar).
#include "app/cx_fmain.h"

#include "framework/qv_Component.h"
#include "framework/qv_application.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QAction* NamedAction(QMenu* menu, QAction* before, const char* name, const QString& caption) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QLatin1String(name));
    menu->insertAction(before, action);
    return action;
}
} // namespace

void TFrmCrateboxMain::BuildDesign() {
    setWindowTitle(QStringLiteral("Tralu"));
    setGeometry(295, 107, 710, 616);

    auto* central = Named(new QWidget(this), "_pnMain");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    // Top band: the toolbar of top-level folders.
    _pnToolbarRoot = Named(new QWidget(central), "_pnToolbarRoot");
    _pnToolbarRoot->setFixedHeight(75);
    _pnToolbarRoot->hide(); // shown at the end of creation
    auto* band = new QHBoxLayout(_pnToolbarRoot);
    band->setContentsMargins(2, 2, 2, 2);
    ToolBar = Named(new QToolBar(_pnToolbarRoot), "ToolBar");
    ToolBar->setIconSize(QSize(48, 48));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    tbAll = ToolBar->addAction(QStringLiteral("All"));
    tbAll->setObjectName(QStringLiteral("tbAll"));
    tbAll->setData(0);
    band->addWidget(ToolBar);
    column->addWidget(_pnToolbarRoot);

    // Left pane (tree) and right pane (tabs), with a splitter between.
    Splitter = Named(new QSplitter(Qt::Horizontal, central), "Splitter");
    Splitter->setChildrenCollapsible(false);
    _pnTree = Named(new QWidget(Splitter), "_pnTree");
    _pnTree->setMinimumWidth(50);
    auto* treeColumn = new QVBoxLayout(_pnTree);
    treeColumn->setContentsMargins(0, 0, 0, 0);
    treeColumn->setSpacing(0);
    _lbMusicRoot = Named(new TqvLabel(_pnTree), "_lbMusicRoot");
    _lbMusicRoot->setFixedHeight(25);
    _lbMusicRoot->setAlignment(Qt::AlignCenter);
    QFont rootFont = _lbMusicRoot->font();
    rootFont.setBold(true);
    _lbMusicRoot->setFont(rootFont);
    treeColumn->addWidget(_lbMusicRoot);
    VST = Named(new QTreeView(_pnTree), "VST");
    VST->setHeaderHidden(true);
    VST->setUniformRowHeights(true);
    treeColumn->addWidget(VST);

    _pnList = Named(new QWidget(Splitter), "_pnList");
    auto* listColumn = new QVBoxLayout(_pnList);
    listColumn->setContentsMargins(0, 0, 0, 0);
    PageControl = Named(new QTabWidget(_pnList), "PageControl");
    PageControl->setDocumentMode(true);
    // Tabs drawn as compact buttons, so that all eight fit beside the tree.
    PageControl->tabBar()->setDrawBase(false);
    PageControl->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 3px 7px; margin: 2px 1px; border: 1px solid palette(mid);"
        " border-radius: 3px; background: palette(button); }"
        "QTabBar::tab:selected { background: palette(highlight); color: palette(highlighted-text);"
        " border-color: palette(highlight); }"
        "QTabBar::tab:hover:!selected { background: palette(light); }"));
    listColumn->addWidget(PageControl);
    Splitter->addWidget(_pnTree);
    Splitter->addWidget(_pnList);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    column->addWidget(Splitter, 1);

    const auto addTab = [this](const char* name, const QString& caption) {
        auto* tab = Named(new QWidget(PageControl), name);
        PageControl->addTab(tab, caption);
        return tab;
    };
    tsMusic = addTab("tsMusic", QStringLiteral("Music"));
    tsList = addTab("tsList", QStringLiteral("List"));
    tsRename = addTab("tsRename", QStringLiteral("Rename"));
    tsTag = addTab("tsTag", QStringLiteral("Tag infos"));
    tsRecords = addTab("tsRecords", QStringLiteral("Records"));
    tsSearch = addTab("tsSearch", QStringLiteral("Search"));
    tsLike = addTab("tsLike", QStringLiteral("Neighbour"));
    tsPlayer = addTab("tsPlayer", QStringLiteral("Player"));
    BuildMusicTab();
    BuildListTab();
    BuildRenameTab();
    BuildTagTab();
    BuildRecordsTab();
    BuildSearchTab();
    BuildLikeTab();
    BuildPlayerTab();

    // Status bar with its one panel.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    StatusPanel = Named(new QLabel(statusBar()), "StatusPanel");
    StatusPanel->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(StatusPanel, 1);

    // The application's items come first in the inherited pop-up menu.
    QAction* first = PopupMenu->actions().value(0);
    cmRefreshAll = NamedAction(PopupMenu, first, "cmRefreshAll", QStringLiteral("Refresh all"));
    cmRefreshNode = NamedAction(PopupMenu, first, "cmRefreshNode", QStringLiteral("Refresh node"));
    cmExplore = NamedAction(PopupMenu, first, "cmExplore", QStringLiteral("Explore"));
    cmDelete = NamedAction(PopupMenu, first, "cmDelete", QStringLiteral("Delete"));
    cmUndoRenames =
        NamedAction(PopupMenu, first, "cmUndoRenames", QStringLiteral("Undo last renames"));
    PopupMenu->insertSeparator(first)->setObjectName(QStringLiteral("_N1"));
    cmNews = NamedAction(PopupMenu, first, "cmNews", QStringLiteral("Create new music list"));
    cmParameters = NamedAction(PopupMenu, first, "cmParameters", QStringLiteral("Parameters"));
    cmSetMusicRoot =
        NamedAction(PopupMenu, first, "cmSetMusicRoot", QStringLiteral("Set music root"));
    PopupMenu->insertSeparator(first)->setObjectName(QStringLiteral("_N2"));
    PopupMenuPlay = Named(new QMenu(this), "PopupMenuPlay");
    cmPlay = NamedAction(PopupMenuPlay, nullptr, "cmPlay", QStringLiteral("Play"));
    cmEnqueue = NamedAction(PopupMenuPlay, nullptr, "cmEnqueue", QStringLiteral("Enqueue"));
    cmPlay->setEnabled(false);
    cmEnqueue->setEnabled(false);
    connect(cmPlay, &QAction::triggered, this, Guarded([this](bool) { cmPlayClick(); }));
    connect(cmEnqueue, &QAction::triggered, this, Guarded([this](bool) { cmEnqueueClick(); }));
    PopupMenuImage = Named(new QMenu(this), "PopupMenuImage");

    connect(cmRefreshAll, &QAction::triggered, this,
            Guarded([this](bool) { cmRefreshAllClick(); }));
    connect(cmSetMusicRoot, &QAction::triggered, this,
            Guarded([this](bool) { cmSetMusicRootClick(); }));
    connect(cmParameters, &QAction::triggered, this,
            Guarded([this](bool) { cmParametersClick(); }));
    BuildTreeArea();
    BuildShortcutsArea();
}
