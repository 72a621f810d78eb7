#include "framework/qv_Component.h"

#include "framework/qv_labelrules.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_tools.h"
#include "platform/picture_loader.h"
#include "platform/shell_services.h"
#include <QPainter>

#include <algorithm>
#include <cstdlib>

// --- TqvLabel ----------------------------------------------------------------

TqvLabel::TqvLabel(QWidget* parent) : QWidget(parent) {
    resize(65, 17);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void TqvLabel::Changed() {
    updateGeometry();
    update();
}

void TqvLabel::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    Changed();
}

void TqvLabel::SetAlignment(Qt::Alignment alignment) {
    m_alignment = alignment & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter);
    update();
}

void TqvLabel::SetLayout(TqvTextLayout layout) {
    m_layout = layout;
    update();
}

void TqvLabel::SetWordWrap(bool wrap) {
    m_wordWrap = wrap;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wrap);
    setSizePolicy(policy);
    Changed();
}

void TqvLabel::SetTransparent(bool transparent) {
    m_transparent = transparent;
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

void TqvLabel::SetShadow(bool shadow) {
    m_shadow = shadow;
    Changed();
}

void TqvLabel::SetShadowX(qint8 x) {
    m_shadowX = std::abs(int(x));
    Changed();
}

void TqvLabel::SetShadowY(qint8 y) {
    m_shadowY = std::abs(int(y));
    Changed();
}

void TqvLabel::SetBorderStyle(TqvBorderStyle style) {
    m_borderStyle = style;
    Changed();
}

void TqvLabel::SetBorderWidth(int width) {
    m_borderWidth = qMax(0, width);
    Changed();
}

void TqvLabel::SetShowAccelChar(bool show) {
    m_showAccelChar = show;
    Changed();
}

void TqvLabel::SetColor(const QColor& color) {
    m_color = color;
    update();
}

void TqvLabel::SetRotation(int degrees) {
    if (AcceptRotation(degrees, m_rotation))
        Changed();
}

void TqvLabel::SetWeight(int weight) {
    if (AcceptWeight(weight, m_weight))
        Changed();
}

void TqvLabel::setAlignment(Qt::Alignment alignment) {
    SetAlignment(alignment & Qt::AlignHorizontal_Mask);
    if (alignment & Qt::AlignVCenter)
        SetLayout(tlCenter);
    else if (alignment & Qt::AlignBottom)
        SetLayout(tlBottom);
    else
        SetLayout(tlTop);
}

QFont TqvLabel::PaintFont() const {
    QFont f = font();
    if (m_weight > 0)
        f.setWeight(QFont::Weight(std::clamp(m_weight, 100, 900)));
    return f;
}

int TqvLabel::TextFlags() const {
    int flags = Qt::TextExpandTabs | Qt::AlignTop | int(m_alignment);
    if (m_wordWrap && m_rotation == 0)
        flags |= Qt::TextWordWrap;
    if (m_rotation != 0)
        flags |= Qt::TextSingleLine;
    if (m_showAccelChar)
        flags |= Qt::TextShowMnemonic;
    return flags;
}

QString TqvLabel::PaddedText(bool measuring) const {
    QString text = m_caption;
    // An empty label still measures one line.
    if (measuring && (text.isEmpty() || (m_showAccelChar && text == QLatin1String("&"))))
        text += QLatin1Char(' ');
    return QLatin1Char(' ') + text + QLatin1Char(' ');
}

QRect TqvLabel::MeasureText(const QRect& rect) const {
    const QFontMetrics metrics(PaintFont());
    const int width = m_wordWrap && rect.width() > 0 ? rect.width() : 1 << 20;
    QRect measured = metrics.boundingRect(QRect(rect.left(), rect.top(), width, 1 << 20),
                                          TextFlags() & ~int(Qt::AlignRight | Qt::AlignHCenter),
                                          PaddedText(true));
    measured.moveTopLeft(rect.topLeft());
    if (m_rotation != 0)
        measured.setSize(RotatedTextSize(m_rotation, measured.width(), measured.height()));
    if (!isEnabled())
        measured.adjust(0, 0, 1, 1);
    else if (m_shadow)
        measured.adjust(0, 0, m_shadowX, m_shadowY);
    return measured;
}

QSize TqvLabel::MeasuredSize(int width) const {
    const int border = m_borderStyle == lbsNone ? 0 : m_borderWidth;
    const QRect text = MeasureText(QRect(0, 0, qMax(0, width - 2 * border), 0));
    return {text.width() + 2 * border, text.height() + 2 * border};
}

QSize TqvLabel::sizeHint() const {
    return MeasuredSize(m_wordWrap && width() > 0 ? width() : 0);
}

QSize TqvLabel::minimumSizeHint() const {
    if (!m_wordWrap)
        return sizeHint();
    return {0, MeasuredSize(width()).height()};
}

int TqvLabel::heightForWidth(int width) const {
    return MeasuredSize(width).height();
}

void TqvLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect rect = this->rect();
    const QPalette& pal = palette();
    if (!m_transparent)
        painter.fillRect(rect, m_color.isValid() ? m_color : pal.color(QPalette::Window));

    if (m_borderStyle != lbsNone && m_borderWidth > 0) {
        QColor topLeft = Qt::black, bottomRight = Qt::black;
        if (m_borderStyle == lbsSunken) {
            topLeft = pal.color(QPalette::Dark);
            bottomRight = pal.color(QPalette::Light);
        } else if (m_borderStyle == lbsRaise) {
            topLeft = pal.color(QPalette::Light);
            bottomRight = pal.color(QPalette::Dark);
        }
        for (int i = 0; i < m_borderWidth; ++i) {
            const QRect r = rect.adjusted(i, i, -i - 1, -i - 1);
            painter.setPen(topLeft);
            painter.drawLine(r.topLeft(), r.topRight());
            painter.drawLine(r.topLeft(), r.bottomLeft());
            painter.setPen(bottomRight);
            painter.drawLine(r.bottomLeft(), r.bottomRight());
            painter.drawLine(r.topRight(), r.bottomRight());
        }
        rect.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    }

    const QRect measured = MeasureText(rect);
    const int height = measured.height();
    const int width = measured.width();
    switch (m_layout) {
    case tlTop:
        rect.setBottom(rect.top() + height - 1);
        break;
    case tlCenter: {
        const int spare = (rect.height() - height) / 2;
        rect.adjust(0, spare, 0, -spare);
        break;
    }
    case tlBottom:
        rect.setTop(rect.bottom() - height + 1);
        break;
    }
    if (m_alignment & Qt::AlignRight) {
        rect.setLeft(rect.right() - width + 1);
    } else if (m_alignment & Qt::AlignHCenter) {
        const int spare = (rect.width() - width) / 2;
        rect.adjust(spare, 0, -spare, 0);
    } else {
        rect.setRight(rect.left() + width - 1);
    }

    const int flags = TextFlags();
    const QString text = PaddedText(false);
    const QFont paintFont = PaintFont();
    painter.setFont(paintFont);
    const QPoint origin = RotatedTextOrigin(rect, m_rotation, QFontMetrics(paintFont).height());
    // One text output, at an offset from the placed rectangle.
    const auto drawText = [&](const QPoint& offset, const QColor& color) {
        painter.setPen(color);
        if (m_rotation == 0) {
            painter.drawText(rect.translated(offset), flags, text);
            return;
        }
        painter.save();
        painter.translate(origin + offset);
        painter.rotate(-m_rotation / 10.0);
        painter.drawText(QRect(0, 0, 1 << 16, QFontMetrics(paintFont).height()),
                         flags & ~int(Qt::AlignRight | Qt::AlignHCenter), text);
        painter.restore();
    };
    if (!isEnabled()) {
        drawText({1, 1}, pal.color(QPalette::Light));
        drawText({0, 0}, pal.color(QPalette::Dark));
        return;
    }
    if (m_shadow) {
        const TShadowPlacement placement = ShadowPlacement(m_alignment, m_shadowX, m_shadowY);
        drawText(placement.shadow, pal.color(QPalette::Dark));
        drawText(placement.text, pal.color(QPalette::WindowText));
        return;
    }
    drawText({0, 0}, pal.color(QPalette::WindowText));
}

// --- TqvImage ------------------------------------------------------------------

TqvImage::TqvImage(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
}

void TqvImage::SetPicture(const QImage& picture) {
    m_picture = picture;
    m_scaled = QPixmap();
    update();
}

void TqvImage::SetStretch(TStretchMode mode) {
    m_stretch = mode;
    m_scaled = QPixmap();
    update();
}

void TqvImage::SetCenter(bool center) {
    m_center = center;
    update();
}

QRect TqvImage::PictureRect(const QRect& client) const {
    if (m_picture.isNull())
        return {};
    const QSize picture = m_picture.size();
    if (ShouldStretch(m_stretch, picture, client.size()))
        return FitRect(client, picture.height(), picture.width());
    QRect rect = client;
    if (m_center)
        rect.translate(qMax(0, (client.width() - picture.width()) / 2),
                       qMax(0, (client.height() - picture.height()) / 2));
    rect.setSize(picture);
    return rect;
}

void TqvImage::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect target = PictureRect(rect());
    if (target.size() == m_picture.size()) {
        painter.drawImage(target.topLeft(), m_picture);
        return;
    }
    if (m_scaled.size() != target.size())
        m_scaled = QPixmap::fromImage(
            m_picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.drawPixmap(target.topLeft(), m_scaled);
}

TqvImage::~TqvImage() {
    // Only a control that read its name writes it back.
    if (SaveSettings && m_settingsRead && Contexte)
        RunGuarded([this] {
            Contexte->WriteString(QStringLiteral("FileName"), m_fileName,
                                  TqvContexte::ImageSection(this, m_section));
        });
}

void TqvImage::SetFileName(const QString& fileName) {
    if (fileName.compare(m_fileName, Qt::CaseInsensitive) == 0)
        return;
    if (!fileName.isEmpty()) {
        QString error;
        const QImage picture = ReadPicture(fileName, QSize(), &error);
        if (picture.isNull())
            throw EToolsError(error.isEmpty() ? fileName : error);
        SetPicture(picture);
    } else {
        SetPicture(QImage());
    }
    if (OnFileChange)
        OnFileChange(this, fileName);
    m_fileName = fileName;
}

void TqvImage::SetAllowDropFile(bool allow) {
    setAcceptDrops(allow);
}

void TqvImage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_settingsRead || !SaveSettings || !Contexte)
        return;
    m_settingsRead = true;
    RunGuarded([this] {
        SetFileName(Contexte->ReadString(QStringLiteral("FileName"), m_fileName,
                                         TqvContexte::ImageSection(this, m_section)));
    });
}

void TqvImage::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().value(0).isLocalFile())
        event->acceptProposedAction();
}

void TqvImage::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const QString path = urls.first().toLocalFile();
    RunGuarded([this, &path] { SetFileName(path); });
}

void TqvImage::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

// --- TqvPanelPicture -------------------------------------------------------------

TqvPanelPicture::TqvPanelPicture(QWidget* parent) : QFrame(parent) {}

void TqvPanelPicture::SetPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

void TqvPanelPicture::SetStretch(TStretchMode mode) {
    m_stretch = mode;
    update();
}

void TqvPanelPicture::SetAlignment(Qt::Alignment horizontal) {
    m_horizontal = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void TqvPanelPicture::SetAlignmentVert(Qt::Alignment vertical) {
    m_vertical = vertical & Qt::AlignVertical_Mask;
    update();
}

void TqvPanelPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event); // background and frame
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect target =
        PanelPictureRect(contentsRect(), m_picture.size(), m_stretch, m_horizontal, m_vertical);
    if (target.size() == m_picture.size())
        painter.drawImage(target.topLeft(), m_picture);
    else if (ShouldStretch(m_stretch, m_picture.size(), contentsRect().size()))
        painter.drawImage(target, m_picture);
    else // cut to the visible part
        painter.drawImage(target.topLeft(), m_picture, QRect(QPoint(0, 0), target.size()));
}

// --- TqvLabelLink --------------------------------------------------------------------

QString LinkPrefix(TLinkKind kind) {
    // The web prefix is written with slashes: that is what browsers open.
    static const char* const prefixes[] = {
        "",        "http://", "file:",     "mailto:", "ftp:",  "https:",
        "gopher:", "nntp:",   "prospero:", "telnet:", "news:", "wais:"};
    const int index = int(kind);
    return index >= 0 && index <= int(lkWais) ? QString::fromLatin1(prefixes[index]) : QString();
}

QString LinkAddress(TLinkKind kind, const QString& caption) {
    QString target = caption;
    for (qsizetype i = 0; i < target.size(); ++i)
        if (target.at(i) == u'&')
            target.remove(i, 1); // "&&" leaves one "&"
    return LinkPrefix(kind) + target;
}

TqvLabelLink::TqvLabelLink(QWidget* parent) : TqvLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(pal);
    FontOver = font();
    FontOver.setUnderline(true);
}

void TqvLabelLink::Execute() {
    QString prefix = LinkPrefix(LinkKind);
    QString target = LinkAddress(lkNone, Caption());
    if (OnExecute)
        OnExecute(this, prefix, target);
    ShellServices().OpenUrl(QUrl(prefix + target)); // a failure is silent
}

void TqvLabelLink::enterEvent(QEnterEvent* event) {
    TqvLabel::enterEvent(event);
    m_saved = font();
    setFont(FontOver);
}

void TqvLabelLink::leaveEvent(QEvent* event) {
    TqvLabel::leaveEvent(event);
    setFont(m_saved);
}

void TqvLabelLink::mouseReleaseEvent(QMouseEvent* event) {
    TqvLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
        Execute();
    }
}
