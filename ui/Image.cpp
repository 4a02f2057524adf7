#include "Image.h"

#include "Twips.h"
#include "platform/Picture.h"

#include <QMouseEvent>

Image::Image(QWidget* parent, const char* name, const QString& path, int left, int top, int width, int height,
             const QString& description)
    : QLabel(parent), path_(path)
{
    setObjectName(QLatin1String(name));
    setAccessibleName(description);
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
        setPixmap(LoadPicture(path_));
        path_.clear();
    }
    QLabel::showEvent(event);
}
