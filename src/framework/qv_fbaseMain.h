#pragma once
// The framework's base main window: a pop-up menu with the about box, the
// language sub-menu and Close; geometry and language restored at creation
// and stored at close; closing cleanly when the session ends.

#include "framework/qv_contexte.h"

#include <QList>

#include <functional>

class QAction;
class QMenu;

class TFrmBaseMain : public TqvForm {
    Q_OBJECT
public:
    explicit TFrmBaseMain(QWidget* parent = nullptr);
    ~TFrmBaseMain() override;

    QMenu* PopupMenu = nullptr;
    QAction* cmAbout = nullptr;
    QAction* cmOnlineHelp = nullptr;
    QMenu* cmLanguageList = nullptr;
    QAction* cmNewLanguage = nullptr;
    QAction* cmEditLanguage = nullptr;
    QAction* _N0 = nullptr;
    QAction* _NClose = nullptr;
    QAction* cmClose = nullptr;

    // Asks for the name of a new language (caption, prompt, the name
    // typed); false when the user cancels.  Tests replace it.
    std::function<bool(const QString& caption, const QString& prompt, QString& name)>
        AskLanguageName;

    // Shows the about box modally; tests replace it (empty: exec()).
    std::function<void(class TfrmBaseAboutBox& box)> ShowAboutBox;

    // Runs the menu's preparation and opens it at a global position.
    void ShowPopupMenu(const QPoint& globalPos);

protected:
    // Base creation: language list, geometry, stored language, language items.
    void BaseFormCreate();
    // Stores "Language" and the geometry.
    virtual void FormClose();
    virtual void PopupMenuPopup();
    virtual void LanguageItemClick(QAction* item);
    void BuildLanguageItems();
    void ClearLanguageItems();
    void cmNewLanguageClick();
    void cmEditLanguageClick();
    void cmAboutClick();
    void cmCloseClick();

    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool m_closeHandled = false;
};
