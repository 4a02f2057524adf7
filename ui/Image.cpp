#include "Image.h"

#include "Twips.h"

#include <QMouseEvent>
#include <QPixmap>

Image::Image(QWidget* parent, const char* name, const QString& path, int left, int top, int width,
             int height)
    : QLabel(parent), path_(path)
{
    setObjectName(QLatin1String(name));
    setAccessibleName(QLatin1String(name));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Place(this, left, top, width, height);
}

void Image::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && Click)
        Click();
    else
        QLabel::mouseReleaseEvent(event);
}

void Image::showEvent(QShowEvent* event)
{
    if (!path_.isEmpty()) {
        setPixmap(QPixmap(path_));
        path_.clear();
    }
    QLabel::showEvent(event);
}
