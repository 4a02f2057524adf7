#include "ImageList.h"

#include "Picture.h"

#include <QFile>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <stdexcept>

namespace {

// One picture drawn at several sizes. Where one of them fits the space asked
// for, the largest that fits is given as drawn, never resampled: a 16-pixel
// picture in a 22-pixel tray slot stays the hand-placed 16 pixels rather than
// the 32-pixel one shrunk to 22, and a painter at device pixel ratio 2 gets
// the 32-pixel one for 16 logical pixels. A tray host that asks for each size
// (the StatusNotifier item sends all of them) gets each as drawn.
class SizedPictures : public QIconEngine {
public:
    explicit SizedPictures(std::vector<QPixmap> sizes) : sizes_(std::move(sizes)) {}

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const QPixmap* fit = Fitting(size);
        if (!fit || size.isEmpty())
            return QSize();
        return Fits(*fit, size) ? fit->size() : fit->size().scaled(size, Qt::KeepAspectRatio);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const QPixmap* fit = Fitting(size);
        if (!fit || size.isEmpty())
            return QPixmap();
        if (Fits(*fit, size))
            return *fit;
        return fit->scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        const QSize device(qRound(rect.width() * ratio), qRound(rect.height() * ratio));
        QPixmap picture = pixmap(device, mode, state);
        if (picture.isNull())
            return;
        // Centred, at one picture pixel per device pixel when it fits.
        picture.setDevicePixelRatio(ratio);
        const QSizeF logical = picture.deviceIndependentSize();
        painter->drawPixmap(QPointF(rect.x() + (rect.width() - logical.width()) / 2,
                                    rect.y() + (rect.height() - logical.height()) / 2),
                            picture);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const QPixmap& p : sizes_)
            sizes.append(p.size());
        return sizes;
    }

    QString key() const override { return QStringLiteral("SizedPictures"); }
    QIconEngine* clone() const override { return new SizedPictures(sizes_); }

private:
    static bool Fits(const QPixmap& p, const QSize& size)
    {
        return p.width() <= size.width() && p.height() <= size.height();
    }

    // The largest picture that fits in `size`, else the smallest (to be
    // scaled down); null when there is none.
    const QPixmap* Fitting(const QSize& size) const
    {
        const QPixmap* best = nullptr;
        for (const QPixmap& p : sizes_)
            if (Fits(p, size) && (!best || p.width() * p.height() > best->width() * best->height()))
                best = &p;
        if (best || sizes_.empty())
            return best;
        return &*std::min_element(sizes_.begin(), sizes_.end(), [](const QPixmap& a, const QPixmap& b) {
            return a.width() * a.height() < b.width() * b.height();
        });
    }

    std::vector<QPixmap> sizes_; // as drawn, one picture pixel per device pixel
};

} // namespace

void ImageList::Add(const QString& path)
{
    std::vector<QPixmap> sizes;
    for (int scale = 1; scale == 1 || QFile::exists(PictureAtScale(path, scale)); ++scale) {
        QImage picture(PictureAtScale(path, scale));
        if (picture.isNull())
            break;
        // The reader marks an @Nx file with ratio N; these go by pixel size.
        picture.setDevicePixelRatio(1);
        sizes.push_back(QPixmap::fromImage(picture));
    }
    QIcon icon = sizes.empty() ? QIcon() : QIcon(new SizedPictures(std::move(sizes)));
    pictures_.push_back(std::make_unique<HICON__>(HICON__{std::move(icon)}));
}

HICON ImageList::ExtractIcon(int index) const
{
    if (index < 1 || index > Count())
        throw std::out_of_range("Index out of bounds");
    return pictures_[static_cast<std::size_t>(index - 1)].get();
}

int ImageList::IndexOf(HICON icon) const
{
    for (std::size_t i = 0; i < pictures_.size(); ++i)
        if (pictures_[i].get() == icon)
            return static_cast<int>(i + 1);
    return 0;
}
