#include "framework/qv_fBaseDialog.h"

#include "framework/qv_Component.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

QImage StripPicture() {
    // Wider than any strip: drawn at its own size, cut to the strip.
    QImage picture(2400, 40, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 0, 40);
    gradient.setColorAt(0, QColor(0xf4, 0xf6, 0xfa));
    gradient.setColorAt(1, QColor(0xc9, 0xd3, 0xe3));
    painter.fillRect(picture.rect(), gradient);
    return picture;
}

TqvPanelPicture* NewButtonStrip(QWidget* parent) {
    auto* strip = new TqvPanelPicture(parent);
    strip->setObjectName(QStringLiteral("pnXP"));
    strip->setFixedHeight(40);
    strip->SetPicture(StripPicture());
    strip->SetAlignment(Qt::AlignLeft);
    strip->SetAlignmentVert(Qt::AlignTop);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(8, 6, 8, 6);
    return strip;
}

TqvButton* NewStripButton(const QString& caption, const char* name, QWidget* strip) {
    auto* button = new TqvButton(caption, strip);
    button->setObjectName(QLatin1String(name));
    return button;
}

TFrmBaseDialog::TFrmBaseDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setProperty("qvFixedBorder", true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_content = new QWidget(this);
    column->addWidget(m_content, 1);
    Bevel = new QFrame(this);
    Bevel->setObjectName(QStringLiteral("Bevel"));
    Bevel->setFrameShape(QFrame::HLine);
    Bevel->setFrameShadow(QFrame::Sunken);
    column->addWidget(Bevel);
    pnXP = NewButtonStrip(this);
    BtOK = NewStripButton(QStringLiteral("OK"), "BtOK", pnXP);
    BtOK->setDefault(true);
    BtCancel = NewStripButton(QStringLiteral("Cancel"), "BtCancel", pnXP);
    auto* strip = static_cast<QHBoxLayout*>(pnXP->layout());
    strip->addWidget(BtOK);
    strip->addStretch(1);
    strip->addWidget(BtCancel);
    column->addWidget(pnXP);
    connect(BtOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetClientSize(322, 207);
    TqvLanguage::RegisterWindow(this);
}

TFrmBaseDialog::~TFrmBaseDialog() {
    TqvLanguage::UnregisterWindow(this);
}

void TFrmBaseDialog::SetClientSize(int width, int height) {
    setFixedSize(width, height);
}

void TFrmBaseDialog::FormCreate() {
    // The designed size, grown where this platform's fonts need more room.
    QSize needed = layout()->totalMinimumSize();
    if (layout()->hasHeightForWidth())
        needed.setHeight(std::max(needed.height(), layout()->totalHeightForWidth(width())));
    setFixedSize(std::max(width(), needed.width()), std::max(height(), needed.height()));
    if (Contexte)
        Contexte->LoadFormGeometry(this);
    if (Language)
        Language->TranslateWindow(this);
}

void TFrmBaseDialog::FormClose() {
    if (Contexte)
        Contexte->SaveFormGeometry(this);
}

void TFrmBaseDialog::done(int result) {
    // A refusal raises its reason, shown by the error handler; the dialog
    // then stays open.
    bool close = result != QDialog::Accepted;
    if (!close)
        RunGuarded([&] { close = CanClose(); });
    if (!close)
        return;
    RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}
