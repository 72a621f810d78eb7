#pragma once
// Visual controls placed beside the toolkit's own: a label with a drop
// shadow and a 3D border (TqvLabel), and a picture control that scales its
// picture by a stretch mode (TqvImage).

#include "framework/qv_fitrect.h"

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include <functional>

enum TqvBorderStyle { lbsNone, lbsSingle, lbsSunken, lbsRaise };
enum TqvTextLayout { tlTop, tlCenter, tlBottom };

// A label that draws its caption padded with one blank on each side,
// optionally with a shadow in the button-shadow colour offset by (ShadowX,
// ShadowY) and a border; centred, left or right aligned, optionally wrapped
// at word boundaries.
class TqvLabel : public QWidget {
    Q_OBJECT
public:
    explicit TqvLabel(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& caption);
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter.
    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment Alignment() const { return m_alignment; }
    void SetLayout(TqvTextLayout layout);
    void SetWordWrap(bool wrap);
    void SetTransparent(bool transparent);
    void SetShadow(bool shadow); // the loShadow option
    bool Shadow() const { return m_shadow; }
    // The absolute value of what is set.
    void SetShadowX(qint8 x);
    void SetShadowY(qint8 y);
    int ShadowX() const { return m_shadowX; }
    int ShadowY() const { return m_shadowY; }
    void SetBorderStyle(TqvBorderStyle style);
    void SetBorderWidth(int width);
    // With it, "&" marks the next character as the accelerator and is not shown.
    void SetShowAccelChar(bool show);
    // Background colour when not transparent; invalid: the palette's window colour.
    void SetColor(const QColor& color);
    // Degrees, accepted from -180 to 180 (other values are ignored); a
    // rotated caption is drawn as one line.
    void SetRotation(int degrees);
    int Rotation() const { return m_rotation / 10; }
    // 0 to 10 (times 100 the font weight); 0: the font's own weight.
    void SetWeight(int weight);
    int Weight() const { return m_weight / 100; }

    // The names of the toolkit's label, so that code written for one works
    // with the other: the caption, and the alignment (horizontal and
    // vertical flags; the vertical ones set the layout).
    QString text() const { return m_caption; }
    void setText(const QString& text) { SetCaption(text); }
    void setAlignment(Qt::Alignment alignment);

    // The size the caption needs within the given width (the whole caption
    // on one line for a width of 0 or less), shadow and border included.
    QSize MeasuredSize(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return m_wordWrap; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int TextFlags() const;
    QString PaddedText(bool measuring) const;
    QRect MeasureText(const QRect& rect) const;
    void Changed();

    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    TqvTextLayout m_layout = tlTop;
    bool m_wordWrap = false;
    bool m_transparent = false;
    bool m_shadow = false;
    int m_shadowX = 5;
    int m_shadowY = 5;
    TqvBorderStyle m_borderStyle = lbsNone;
    int m_borderWidth = 0;
    bool m_showAccelChar = true;
    QColor m_color;
    int m_rotation = 0; // tenths of a degree
    int m_weight = 0;   // font weight, 0 to 1000
    QFont PaintFont() const;
};

// A picture control: the picture drawn into the client area, scaled with
// its aspect ratio kept when the stretch mode says so, else at its own size
// (centred with Center).  Nothing is drawn without a picture.
class TqvImage : public QWidget {
    Q_OBJECT
public:
    explicit TqvImage(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return m_picture; }
    void SetStretch(TStretchMode mode);
    TStretchMode Stretch() const { return m_stretch; }
    void SetCenter(bool center);

    // Where the picture is drawn in a client rectangle, and whether scaled.
    QRect PictureRect(const QRect& client) const;

    // The file the picture comes from.  Setting a name that differs (without
    // regard to case) loads it, calls OnFileChange, then stores the name; a
    // file that is not a readable picture raises EToolsError and the name
    // stays the old one.
    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& fileName);
    std::function<void(TqvImage* sender, const QString& fileName)> OnFileChange;
    // With it, the file name is read from the control's settings section when
    // the control is first shown and written back when it is destroyed.
    bool SaveSettings = true;
    // Files dragged from the desktop: the first one dropped becomes FileName.
    void SetAllowDropFile(bool allow);
    ~TqvImage() override;

    QSize sizeHint() const override { return {105, 105}; }

signals:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString m_fileName;
    QString m_section;
    bool m_settingsRead = false;
    QImage m_picture;
    TStretchMode m_stretch = smNone;
    bool m_center = false;
    QPixmap m_scaled; // the picture at its last drawn scaled size
};

// A panel with a background picture: the picture is placed in the panel's
// contents by the stretch mode and the two alignments (PanelPictureRect).
class TqvPanelPicture : public QFrame {
    Q_OBJECT
public:
    explicit TqvPanelPicture(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return m_picture; }
    void SetStretch(TStretchMode mode);
    // Qt::AlignLeft/AlignRight/AlignHCenter and Qt::AlignTop/AlignBottom/AlignVCenter.
    void SetAlignment(Qt::Alignment horizontal);
    void SetAlignmentVert(Qt::Alignment vertical);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    TStretchMode m_stretch = smNone;
    Qt::Alignment m_horizontal = Qt::AlignHCenter;
    Qt::Alignment m_vertical = Qt::AlignVCenter;
};

// The toolkit's push button under the framework's name.
class TqvButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};

// The kinds of address a link label opens, and their prefixes.
enum TLinkKind {
    lkNone,
    lkHttp,
    lkFile,
    lkMailTo,
    lkFtp,
    lkHttps,
    lkGopher,
    lkNntp,
    lkProspero,
    lkTelNet,
    lkNews,
    lkWais
};
QString LinkPrefix(TLinkKind kind);
// What a click opens: the prefix of the kind followed by the caption (an
// accelerator "&" of the caption removed).
QString LinkAddress(TLinkKind kind, const QString& caption);

// A label that opens its caption as an address when clicked: blue, with
// the hand cursor, underlined (FontOver) while the mouse is over it.
class TqvLabelLink : public TqvLabel {
    Q_OBJECT
public:
    explicit TqvLabelLink(QWidget* parent = nullptr);
    TLinkKind LinkKind = lkNone;
    QFont FontOver;
    // May change the prefix and the target before the address is opened.
    std::function<void(TqvLabelLink* sender, QString& prefix, QString& target)> OnExecute;
    // Opens the address (a failure is silent).
    void Execute();

signals:
    void Clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QFont m_saved;
};
