// Picture placement (fit and stretch decision) and the picture and label
// controls drawn offscreen.
#include "framework/qv_Component.h"
#include "framework/qv_fitrect.h"
#include "framework/qv_labelrules.h"
#include "platform/shell_services.h"

#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include "framework/qv_contexte.h"
#include "framework/qv_tools.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(FitRect, KeepsTheAspectRatioAndAligns) {
    struct Case {
        QRect rect;
        int pictureHeight, pictureWidth;
        Qt::Alignment vertical, horizontal;
        QRect expected;
    };
    const Case cases[] = {
        // Wide picture in a square: full width, height cut, centred vertically.
        {{0, 0, 186, 186}, 100, 200, Qt::AlignVCenter, Qt::AlignHCenter, {0, 46, 186, 93}},
        // Tall picture: full height, width truncated, centred horizontally.
        {{10, 20, 186, 186}, 300, 100, Qt::AlignVCenter, Qt::AlignHCenter, {72, 20, 62, 186}},
        // Same picture aligned right and bottom / left and top.
        {{0, 0, 100, 100}, 50, 100, Qt::AlignBottom, Qt::AlignRight, {0, 50, 100, 50}},
        {{0, 0, 100, 100}, 100, 50, Qt::AlignTop, Qt::AlignLeft, {0, 0, 50, 100}},
        {{0, 0, 100, 100}, 100, 50, Qt::AlignTop, Qt::AlignRight, {50, 0, 50, 100}},
        // Same ratio: the whole rectangle.
        {{5, 5, 80, 80}, 1200, 1200, Qt::AlignVCenter, Qt::AlignHCenter, {5, 5, 80, 80}},
        // An empty picture leaves the rectangle alone.
        {{0, 0, 80, 80}, 0, 0, Qt::AlignVCenter, Qt::AlignHCenter, {0, 0, 80, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight);
        EXPECT_EQ(FitRect(c.rect, c.pictureHeight, c.pictureWidth, c.vertical, c.horizontal),
                  c.expected);
    }
}

TEST(ShouldStretch, FollowsTheMode) {
    const QSize box(100, 100);
    struct Case {
        TStretchMode mode;
        QSize picture;
        bool stretch;
    };
    const Case cases[] = {
        {smNone, {300, 300}, false}, {smReduce, {300, 50}, true},   {smReduce, {50, 50}, false},
        {smInflate, {50, 50}, true}, {smInflate, {50, 300}, false}, {smBoth, {100, 100}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShouldStretch(c.mode, c.picture, box), c.stretch)
            << c.mode << " " << c.picture.width() << "x" << c.picture.height();
}

TEST(TqvImage, ReduceShowsSmallPicturesAtTheirSizeAndFitsLargeOnes) {
    TqvImage image;
    image.resize(186, 186);
    image.SetStretch(smReduce);
    image.SetCenter(true);
    QImage small(40, 20, QImage::Format_RGB32);
    small.fill(Qt::red);
    image.SetPicture(small);
    EXPECT_EQ(image.PictureRect(image.rect()), QRect(73, 83, 40, 20));
    QImage large(400, 200, QImage::Format_RGB32);
    large.fill(Qt::blue);
    image.SetPicture(large);
    EXPECT_EQ(image.PictureRect(image.rect()), QRect(0, 46, 186, 93));

    // Drawn where it says: blue in the middle, nothing above the picture.
    QImage shot = image.grab().toImage();
    EXPECT_EQ(shot.pixelColor(93, 93), QColor(Qt::blue));
    EXPECT_NE(shot.pixelColor(93, 10), QColor(Qt::blue));
}

TEST(TqvLabel, ShadowGrowsTheMeasureAndDrawsTheTextTwice) {
    TqvLabel plain;
    plain.SetCaption("Artist");
    TqvLabel shadowed;
    shadowed.SetCaption("Artist");
    shadowed.SetShadow(true);
    shadowed.SetShadowX(-3); // stored as its absolute value
    shadowed.SetShadowY(3);
    EXPECT_EQ(shadowed.ShadowX(), 3);
    EXPECT_EQ(shadowed.MeasuredSize(0), plain.MeasuredSize(0) + QSize(3, 3));

    // An empty caption still measures one line.
    TqvLabel empty;
    EXPECT_GT(empty.MeasuredSize(0).height(), 0);

    // Shadow in the dark colour and text in the text colour both reach the
    // picture.
    shadowed.resize(shadowed.MeasuredSize(0));
    QPalette pal = shadowed.palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Dark, Qt::red);
    shadowed.setPalette(pal);
    const QImage shot = shadowed.grab().toImage();
    bool red = false, black = false;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red |= c.red() > 200 && c.green() < 60;
            black |= c.red() < 60 && c.green() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(black);
}

} // namespace

namespace {

TEST(LabelRules, ShadowAndTextOffsetsFollowTheAlignment) {
    struct Case {
        Qt::Alignment alignment;
        int x, y;
        QPoint shadow, text;
    };
    const Case cases[] = {
        {Qt::AlignLeft, 3, 3, {3, 3}, {0, 0}},
        {Qt::AlignRight, 3, 4, {0, 4}, {-3, 0}},
        {Qt::AlignHCenter, 5, 2, {2, 2}, {-2, 0}}, // halves truncated
        {Qt::AlignHCenter, 1, 1, {0, 1}, {0, 0}},
    };
    for (const Case& c : cases) {
        const TShadowPlacement p = ShadowPlacement(c.alignment, c.x, c.y);
        EXPECT_EQ(p.shadow, c.shadow) << int(c.alignment) << " " << c.x;
        EXPECT_EQ(p.text, c.text) << int(c.alignment) << " " << c.x;
    }
}

TEST(LabelRules, RotationWeightAndTheOriginOfARotatedLine) {
    int tenths = 77;
    EXPECT_FALSE(AcceptRotation(200, tenths));
    EXPECT_EQ(tenths, 77);
    EXPECT_TRUE(AcceptRotation(180, tenths));
    EXPECT_EQ(tenths, 1800);
    EXPECT_TRUE(AcceptRotation(-180, tenths));
    EXPECT_EQ(tenths, -1800);
    int weight = 0;
    EXPECT_FALSE(AcceptWeight(11, weight));
    EXPECT_TRUE(AcceptWeight(7, weight));
    EXPECT_EQ(weight, 700);

    // A rectangle (10, 20) to (110, 70) and a text height of 20.
    const QRect rect(10, 20, 100, 50);
    struct Case {
        int tenths;
        QPoint origin;
    };
    const Case cases[] = {
        {0, {10, 50}},      // d = 0: bottom - h
        {900, {0, 60}},     // d = 10
        {450, {3, 57}},     // sin 45 * 20 = 14.1 -> 14 / 2 = 7
        {1800, {110, 70}},  // d = 0
        {1200, {102, 62}},  // sin 120 * 20 = 17.3 -> 17 / 2 = 8
        {-450, {10, 20}},   // -90 up to below 0: top left
        {-1350, {110, 20}}, // below -90: top right
    };
    for (const Case& c : cases)
        EXPECT_EQ(RotatedTextOrigin(rect, c.tenths, 20), c.origin) << c.tenths;
    EXPECT_EQ(RotatedTextSize(0, 80, 20), QSize(80, 20));
    EXPECT_EQ(RotatedTextSize(1800, 80, 20), QSize(80, 20));
    EXPECT_EQ(RotatedTextSize(600, 80, 20), QSize(40, 10));
}

TEST(PanelPictureRect, PlacesByAlignmentOrFitsWhenStretched) {
    const QRect rect(0, 0, 100, 40);
    struct Case {
        QSize picture;
        TStretchMode mode;
        Qt::Alignment horizontal, vertical;
        QRect expected;
    };
    const Case cases[] = {
        {{20, 10}, smNone, Qt::AlignLeft, Qt::AlignTop, {0, 0, 20, 10}},
        {{20, 10}, smNone, Qt::AlignRight, Qt::AlignBottom, {80, 30, 20, 10}},
        {{20, 10}, smNone, Qt::AlignHCenter, Qt::AlignVCenter, {40, 15, 20, 10}},
        // Larger than the panel: never moved left or up, cut to the panel.
        {{2400, 40}, smNone, Qt::AlignRight, Qt::AlignTop, {0, 0, 100, 40}},
        // Stretched: the aspect ratio is kept.
        {{20, 10}, smBoth, Qt::AlignHCenter, Qt::AlignVCenter, {10, 0, 80, 40}},
        {{20, 10}, smInflate, Qt::AlignLeft, Qt::AlignTop, {0, 0, 80, 40}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanelPictureRect(rect, c.picture, c.mode, c.horizontal, c.vertical), c.expected)
            << c.picture.width() << "x" << c.picture.height() << " mode " << c.mode;
}

TEST(TqvLabelLink, OpensThePrefixOfItsKindAndTheCaption) {
    EXPECT_EQ(LinkAddress(lkMailTo, "someone@example.org"), "mailto:someone@example.org");
    EXPECT_EQ(LinkAddress(lkHttp, "example.org/a&&b"), "http://example.org/a&b");
    EXPECT_EQ(LinkAddress(lkNone, "https://example.org"), "https://example.org");
    EXPECT_EQ(LinkPrefix(lkWais), "wais:");

    struct Shell : IShellServices {
        bool OpenUrl(const QUrl& url) override {
            opened << url.toString();
            return false; // a failure is silent
        }
        qint64 StartDetached(const QString&, const QStringList&) override { return -1; }
        int RunAndWait(const QString&, const QStringList&) override { return -1; }
        bool MoveToTrash(const QString&) override { return false; }
        QStringList opened;
    } shell;
    TScopedShellServices scoped(shell);
    TqvLabelLink link;
    link.LinkKind = lkMailTo;
    link.SetCaption("someone@example.org");
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(link.FontOver.underline());
    link.OnExecute = [](TqvLabelLink*, QString& prefix, QString& target) {
        prefix = "mailto:";
        target += "?subject=Tralu";
    };
    link.Execute();
    EXPECT_EQ(shell.opened, QStringList{"mailto:someone@example.org?subject=Tralu"});
}

TEST(TqvLabel, DisabledLabelIsEmbossedAndRotationIsKeptInRange) {
    TqvLabel label;
    label.SetCaption("Record");
    label.SetRotation(200);
    EXPECT_EQ(label.Rotation(), 0);
    label.SetRotation(-180);
    EXPECT_EQ(label.Rotation(), -180);
    label.SetRotation(0);
    label.setEnabled(false);
    label.resize(label.MeasuredSize(0));
    QPalette pal = label.palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Light, Qt::green);
    pal.setColor(QPalette::Dark, Qt::red);
    pal.setColor(QPalette::Disabled, QPalette::Window, Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::Light, Qt::green);
    pal.setColor(QPalette::Disabled, QPalette::Dark, Qt::red);
    label.setPalette(pal);
    const QImage shot = label.grab().toImage();
    bool green = false, red = false;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            green |= c.green() > 200 && c.red() < 60;
            red |= c.red() > 200 && c.green() < 60;
        }
    EXPECT_TRUE(green);
    EXPECT_TRUE(red);
}

} // namespace

namespace {

TEST(TqvImage, FileNameLoadsRemembersAndRefusesWhatIsNoPicture) {
    QTemporaryDir dir;
    const QString red = dir.filePath("red.bmp");
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(red, "BMP"));
    const QString junk = dir.filePath("junk.jpg");
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    TqvContexte contexte;
    QWidget window;
    window.setObjectName("FrmSample");
    {
        auto* image = new TqvImage(&window);
        image->setObjectName("ImageCover");
        QStringList changes;
        image->OnFileChange = [&](TqvImage*, const QString& name) { changes << name; };
        window.show(); // reads the remembered name: none yet
        image->SetFileName(red);
        EXPECT_EQ(image->Picture().size(), QSize(30, 20));
        image->SetFileName(red.toUpper()); // the same name in other case: nothing
        EXPECT_THROW(image->SetFileName(junk), EToolsError);
        EXPECT_EQ(image->FileName(), red);
        EXPECT_EQ(changes, QStringList{red});
        delete image; // writes the name back
    }
    const QString section = "Settings\\Widget\\ImageCover";
    EXPECT_EQ(contexte.ReadString("FileName", "<none>", section), red);

    // A new control of the same name finds it again when shown.
    QWidget second;
    auto* again = new TqvImage(&second);
    again->setObjectName("ImageCover");
    second.show();
    EXPECT_EQ(again->FileName(), red);
    EXPECT_FALSE(again->Picture().isNull());

    // A file dropped from the desktop becomes the file name.
    const QString blue = dir.filePath("blue.bmp");
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(blue, "BMP"));
    again->SaveSettings = false;
    again->SetAllowDropFile(true);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(blue), QUrl::fromLocalFile(red)});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
    static_cast<QObject*>(again)->event(&drop); // as the window system delivers it
    EXPECT_EQ(again->FileName(), blue);
    EXPECT_EQ(again->Picture().pixelColor(0, 0), QColor(Qt::blue));
}

} // namespace
