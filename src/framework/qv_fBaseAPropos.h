#pragma once
// The framework's about box: the program's icon, name and version, two
// links, and the about text of the current language, which a pop-up menu
// opens for editing.

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class TqvButton;
class TqvImage;
class TqvLabel;
class TqvLabelLink;
class TqvPanelPicture;

// The maker's addresses shown by the links.
inline const QString kMakerMail = QStringLiteral("tralu@quarnet.example");
inline const QString kMakerHomePage = QStringLiteral("https://quarnet.example/tralu");

class TfrmBaseAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBaseAboutBox(QWidget* parent = nullptr);

    QWidget* _pnAbout = nullptr;
    TqvImage* ImageMarrowbay = nullptr;
    TqvImage* ProgramIcon = nullptr;
    TqvLabel* _ProductName = nullptr;
    QLabel* _lbVersion = nullptr;
    QLabel* _lbNoVersion = nullptr;
    QLabel* lbMailTo = nullptr;
    TqvLabelLink* _LbMailTo = nullptr;
    QLabel* lbHomePage = nullptr;
    TqvLabelLink* _lbLink = nullptr;
    QPlainTextEdit* moAPropos = nullptr;
    TqvPanelPicture* pnXP = nullptr;
    TqvButton* BtOK = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* cmEdit = nullptr;

    void cmEditClick();
    void MarrowbayClick();

private:
    void FormCreate();
};
