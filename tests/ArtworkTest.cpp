#include "platform/ImageList.h"
#include "platform/Picture.h"
#include "QtPrinters.h"

#include <QDirIterator>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Argb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage Argb(const QPixmap& pixmap)
{
    return Argb(pixmap.toImage());
}

// The part of `image` at (x, y) of `size` device pixels.
QImage Part(const QImage& image, int x, int y, QSize size)
{
    return Argb(image.copy(QRect({x, y}, size)));
}

// Every picture is drawn at 2x beside its 1x self (the tray lights at 3x as
// well), at exactly that many pixels a side, and no companion is left over.
TEST(Artwork, EveryPictureHasItsDenseCompanions)
{
    int pictures = 0, companions = 0, expected = 0;
    for (QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.png")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        if (path.startsWith(QLatin1String(":/qt-project.org/")))
            continue;
        if (path.contains(QLatin1Char('@'))) {
            ++companions;
            continue;
        }
        ++pictures;
        const QSize size = QImage(path).size();
        ASSERT_FALSE(size.isEmpty()) << qPrintable(path);
        const int scales = path.startsWith(QLatin1String(":/tray/")) ? 3 : 2;
        for (int scale = 2; scale <= scales; ++scale) {
            const QString dense = PictureAtScale(path, scale);
            EXPECT_EQ(QImage(dense).size(), size * scale) << qPrintable(dense);
        }
        expected += scales - 1;
    }
    EXPECT_GE(pictures, 22) << "the pictures are not in the resources";
    EXPECT_EQ(companions, expected) << "a companion without its 1x picture";
}

// The tray icon carries 16, 32 and 48 pixels; each size asked for comes as
// drawn, and a slot larger than 16 pixels still shows the 16-pixel picture at
// scale 1 (and the 32-pixel one at scale 2), not a larger one shrunk to fit.
TEST(Artwork, TrayIconKeepsEachSizeAsDrawn)
{
    const QString path = QStringLiteral(":/tray/light05.png");
    ImageList list;
    list.Add(path);
    const QIcon& icon = list.ExtractIcon(1)->picture;
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));

    for (int scale = 1; scale <= 3; ++scale) {
        const QImage drawn = Argb(QImage(PictureAtScale(path, scale)));
        EXPECT_TRUE(Argb(icon.pixmap(drawn.size(), 1.0)) == drawn) << scale << "x";
    }
    EXPECT_TRUE(Argb(icon.pixmap(QSize(22, 22), 1.0)) == Argb(QImage(path))) << "22-pixel slot";

    for (int scale = 1; scale <= 2; ++scale) {
        QImage slot(QSize(22, 22) * scale, QImage::Format_ARGB32);
        slot.setDevicePixelRatio(scale);
        slot.fill(Qt::transparent);
        {
            QPainter painter(&slot);
            icon.paint(&painter, QRect(0, 0, 22, 22));
        }
        const QImage drawn = Argb(QImage(PictureAtScale(path, scale)));
        EXPECT_TRUE(Part(slot, 3 * scale, 3 * scale, drawn.size()) == drawn) << "painted at " << scale << "x";
    }
}

} // namespace
