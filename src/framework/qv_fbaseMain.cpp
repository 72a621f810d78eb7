#include "framework/qv_fbaseMain.h"

#include "framework/qv_application.h"
#include "framework/qv_fBaseAPropos.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>

TFrmBaseMain::TFrmBaseMain(QWidget* parent) : TqvForm(parent) {
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    cmAbout = PopupMenu->addAction(QStringLiteral("About"));
    cmAbout->setObjectName(QStringLiteral("cmAbout"));
    cmOnlineHelp = PopupMenu->addAction(QStringLiteral("Online Help"));
    cmOnlineHelp->setObjectName(QStringLiteral("cmOnlineHelp"));
    cmOnlineHelp->setVisible(false);
    cmLanguageList = new QMenu(QStringLiteral("Languages"), PopupMenu);
    cmLanguageList->setObjectName(QStringLiteral("cmLanguageList"));
    cmLanguageList->menuAction()->setObjectName(QStringLiteral("cmLanguageListItem"));
    PopupMenu->addMenu(cmLanguageList);
    cmNewLanguage = cmLanguageList->addAction(QStringLiteral("Add a new language"));
    cmNewLanguage->setObjectName(QStringLiteral("cmNewLanguage"));
    cmEditLanguage = cmLanguageList->addAction(QStringLiteral("Edit the language"));
    cmEditLanguage->setObjectName(QStringLiteral("cmEditLanguage"));
    _N0 = cmLanguageList->addSeparator();
    _N0->setObjectName(QStringLiteral("_N0"));
    _NClose = PopupMenu->addSeparator();
    _NClose->setObjectName(QStringLiteral("_NClose"));
    cmClose = PopupMenu->addAction(QStringLiteral("Close"));
    cmClose->setObjectName(QStringLiteral("cmClose"));
    AskLanguageName = [this](const QString& caption, const QString& prompt, QString& name) {
        bool ok = false;
        name = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, QString(), &ok);
        return ok;
    };

    connect(cmAbout, &QAction::triggered, this, Guarded([this](bool) { cmAboutClick(); }));
    connect(cmNewLanguage, &QAction::triggered, this,
            Guarded([this](bool) { cmNewLanguageClick(); }));
    connect(cmEditLanguage, &QAction::triggered, this,
            Guarded([this](bool) { cmEditLanguageClick(); }));
    connect(cmClose, &QAction::triggered, this, Guarded([this](bool) { cmCloseClick(); }));
    // The session manager asks us to save: close through the ordinary path.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            Guarded([this](QSessionManager&) { close(); }));
}

TFrmBaseMain::~TFrmBaseMain() = default;

void TFrmBaseMain::BaseFormCreate() {
    if (Language)
        Language->EnsureLanguageList();
    if (Contexte)
        Contexte->LoadFormGeometry(this);
    if (Language) {
        Language->ForceReload();
        const int stored =
            Contexte ? Contexte->ReadInteger(QStringLiteral("Language"), Language->CurrentIndex())
                     : Language->CurrentIndex();
        Language->SetLanguage(stored);
    }
    BuildLanguageItems();
}

void TFrmBaseMain::FormClose() {
    if (!Contexte)
        return;
    if (Language)
        Contexte->WriteInteger(QStringLiteral("Language"), Language->CurrentIndex());
    Contexte->SaveFormGeometry(this);
}

void TFrmBaseMain::PopupMenuPopup() {
    cmOnlineHelp->setVisible(false);
    const QList<QAction*> items = cmLanguageList->actions();
    if (items.size() > 3 && Language) {
        for (int i = 3; i < items.size(); ++i)
            items[i]->setChecked(i == Language->CurrentIndex() + 3);
    }
}

void TFrmBaseMain::LanguageItemClick(QAction* item) {
    const int position = static_cast<int>(cmLanguageList->actions().indexOf(item));
    if (position >= 3 && Language)
        Language->SetLanguage(position - 3);
}

void TFrmBaseMain::BuildLanguageItems() {
    if (!Language)
        return;
    for (const QString& name : Language->Languages()) {
        QAction* item = cmLanguageList->addAction(name);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this,
                Guarded([this, item](bool) { LanguageItemClick(item); }));
    }
}

void TFrmBaseMain::ClearLanguageItems() {
    QList<QAction*> items = cmLanguageList->actions();
    for (qsizetype i = items.size() - 1; i > 2; --i) {
        cmLanguageList->removeAction(items[i]);
        delete items[i];
    }
}

void TFrmBaseMain::cmNewLanguageClick() {
    const TqvStringList& s = StringList();
    QString name;
    if (!AskLanguageName(s.Get(qv_str::LanguageToAdd), s.Get(qv_str::NameColon), name))
        return;
    if (!Language)
        return;
    // The folder exists once AddLanguage has made it, even when the editor
    // then cannot open the new list: the items follow the list either way.
    try {
        Language->AddLanguage(name);
    } catch (...) {
        ClearLanguageItems();
        BuildLanguageItems();
        throw;
    }
    ClearLanguageItems();
    BuildLanguageItems();
}

void TFrmBaseMain::cmEditLanguageClick() {
    if (Language)
        Language->EditLanguage();
}

void TFrmBaseMain::cmAboutClick() {
    TfrmBaseAboutBox box(this);
    box.setWindowTitle(StringList().Get(qv_str::About));
    box.cmEdit->setText(StringList().Get(qv_str::EditAboutFile));
    if (ShowAboutBox)
        ShowAboutBox(box);
    else
        box.exec();
}

void TFrmBaseMain::cmCloseClick() {
    close();
}

void TFrmBaseMain::closeEvent(QCloseEvent* event) {
    // The close handlers run once, however the window is closed.
    if (!m_closeHandled) {
        m_closeHandled = true;
        RunGuarded([this] { FormClose(); });
    }
    event->accept();
}

void TFrmBaseMain::contextMenuEvent(QContextMenuEvent* event) {
    ShowPopupMenu(event->globalPos());
    event->accept();
}

void TFrmBaseMain::ShowPopupMenu(const QPoint& globalPos) {
    RunGuarded([this] { PopupMenuPopup(); });
    PopupMenu->popup(globalPos);
}
