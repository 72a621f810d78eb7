#include "framework/qv_fBaseAPropos.h"

#include "framework/qv_Component.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_fBaseDialog.h"
#include "framework/qv_language.h"
#include "framework/qv_tools.h"
#include "platform/version.h"

#include <QAction>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
// The maker's logo: a drawn mark, so no picture file is needed.
QImage MakerLogo() {
    QImage logo(66, 66, QImage::Format_ARGB32_Premultiplied);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2d, 0x5f, 0x9e));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(3, 3, 60, 60));
    painter.setPen(QPen(Qt::white, 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRect(17, 17, 32, 32));
    painter.drawLine(38, 38, 52, 52);
    return logo;
}
} // namespace

TfrmBaseAboutBox::TfrmBaseAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmBaseAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    resize(423, 339);
    setMinimumWidth(380);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    _pnAbout = new QWidget(this);
    _pnAbout->setObjectName(QStringLiteral("_pnAbout"));
    auto* grid = new QGridLayout(_pnAbout);
    ProgramIcon = new TqvImage(_pnAbout);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->SaveSettings = false;
    ProgramIcon->setFixedSize(75, 66);
    ProgramIcon->SetCenter(true);
    ProgramIcon->SetStretch(smReduce);
    grid->addWidget(ProgramIcon, 0, 0, 3, 1);

    _ProductName = new TqvLabel(_pnAbout);
    _ProductName->setObjectName(QStringLiteral("_ProductName"));
    QFont nameFont = _ProductName->font();
    nameFont.setBold(true);
    nameFont.setPointSize(nameFont.pointSize() + 4);
    _ProductName->setFont(nameFont);
    _ProductName->SetShadow(true);
    _ProductName->SetShadowX(3);
    _ProductName->SetShadowY(3);
    _ProductName->SetAlignment(Qt::AlignHCenter);
    _ProductName->SetCaption(QStringLiteral("ApplicationName"));
    _ProductName->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    grid->addWidget(_ProductName, 0, 1, 1, 2);

    _lbVersion = new QLabel(QStringLiteral("Version"), _pnAbout);
    _lbVersion->setObjectName(QStringLiteral("_lbVersion"));
    _lbNoVersion = new QLabel(_pnAbout);
    _lbNoVersion->setObjectName(QStringLiteral("_lbNoVersion"));
    grid->addWidget(_lbVersion, 1, 1);
    grid->addWidget(_lbNoVersion, 1, 2);

    ImageMarrowbay = new TqvImage(_pnAbout);
    ImageMarrowbay->setObjectName(QStringLiteral("ImageMarrowbay"));
    ImageMarrowbay->SaveSettings = false;
    ImageMarrowbay->setFixedSize(73, 66);
    ImageMarrowbay->SetCenter(true);
    ImageMarrowbay->SetPicture(MakerLogo());
    grid->addWidget(ImageMarrowbay, 0, 3, 3, 1);

    lbMailTo = new QLabel(QStringLiteral("Mail"), _pnAbout);
    lbMailTo->setObjectName(QStringLiteral("lbMailTo"));
    _LbMailTo = new TqvLabelLink(_pnAbout);
    _LbMailTo->setObjectName(QStringLiteral("_LbMailTo"));
    _LbMailTo->LinkKind = lkMailTo;
    _LbMailTo->SetCaption(kMakerMail);
    lbHomePage = new QLabel(QStringLiteral("Home page"), _pnAbout);
    lbHomePage->setObjectName(QStringLiteral("lbHomePage"));
    _lbLink = new TqvLabelLink(_pnAbout);
    _lbLink->setObjectName(QStringLiteral("_lbLink"));
    _lbLink->LinkKind = lkNone; // the caption is the whole address
    _lbLink->SetCaption(kMakerHomePage);
    grid->addWidget(lbMailTo, 3, 0);
    grid->addWidget(_LbMailTo, 3, 1, 1, 3);
    grid->addWidget(lbHomePage, 4, 0);
    grid->addWidget(_lbLink, 4, 1, 1, 3);

    moAPropos = new QPlainTextEdit(_pnAbout);
    moAPropos->setObjectName(QStringLiteral("moAPropos"));
    moAPropos->setReadOnly(true);
    moAPropos->setFrameShape(QFrame::NoFrame);
    moAPropos->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    moAPropos->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->addWidget(moAPropos, 5, 0, 1, 4);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(2, 1);
    column->addWidget(_pnAbout, 1);

    pnXP = NewButtonStrip(this);
    BtOK = NewStripButton(QStringLiteral("OK"), "BtOK", pnXP);
    BtOK->setDefault(true);
    auto* strip = static_cast<QHBoxLayout*>(pnXP->layout());
    strip->addStretch(1);
    strip->addWidget(BtOK);
    column->addWidget(pnXP);

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    cmEdit = PopupMenu->addAction(QStringLiteral("Edit about file"));
    cmEdit->setObjectName(QStringLiteral("cmEdit"));

    connect(BtOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmEdit, &QAction::triggered, this, Guarded([this](bool) { cmEditClick(); }));
    connect(moAPropos, &QWidget::customContextMenuRequested, this,
            Guarded([this](const QPoint& at) { PopupMenu->popup(moAPropos->mapToGlobal(at)); }));
    connect(ImageMarrowbay, &TqvImage::DoubleClicked, this, Guarded([this] { MarrowbayClick(); }));
    RunGuarded([this] { FormCreate(); });
}

void TfrmBaseAboutBox::FormCreate() {
    QIcon icon = windowIcon();
    if (icon.isNull())
        icon = QIcon(ApplicationDataPath(QStringLiteral("desktop/tralu.png")));
    if (icon.isNull())
        icon = QIcon(ApplicationDataPath(QStringLiteral("icons/toolbar-all.png")));
    ProgramIcon->SetPicture(icon.pixmap(64, 64).toImage());
    if (Language) {
        QFile file(Language->AboutFileForShowing());
        if (file.exists() && file.open(QIODevice::ReadOnly)) {
            QString text = QString::fromUtf8(file.readAll());
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            moAPropos->setPlainText(text);
        }
    }
    _ProductName->SetCaption(Contexte ? Contexte->ApplicationName() : QString());
    _lbNoVersion->setText(TraluVersion());
}

void TfrmBaseAboutBox::cmEditClick() {
    if (Language)
        ShellOpen(Language->AboutFileForEditing());
}

void TfrmBaseAboutBox::MarrowbayClick() {
    ShellOpen(kMakerHomePage);
}
