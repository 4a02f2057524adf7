#include "Picture.h"

#include <QFile>
#include <QGuiApplication>

#include <cmath>

QString PictureAtScale(const QString& path, int scale)
{
    if (scale == 1)
        return path;
    QString name = path;
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        dot = name.size();
    return name.insert(dot, QStringLiteral("@%1x").arg(scale));
}

QPixmap LoadPicture(const QString& path)
{
    // Like QIcon, go by the densest screen: a window can move there, and a
    // picture scaled down loses less than one scaled up.
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    for (int scale = static_cast<int>(std::ceil(ratio)); scale > 1; --scale) {
        const QString file = PictureAtScale(path, scale);
        if (QFile::exists(file)) {
            QPixmap picture(file);
            picture.setDevicePixelRatio(scale);
            return picture;
        }
    }
    return QPixmap(path);
}
