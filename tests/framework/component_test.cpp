// Picture placement (fit and stretch decision) and the picture and label
// controls drawn offscreen.
#include "framework/qv_Component.h"
#include "framework/qv_fitrect.h"

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
