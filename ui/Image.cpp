#include "Image.h"

#include "Twips.h"
#include "platform/Picture.h"

#include <QMouseEvent>

Image::Image(QWidget* parent, const char* name, const QString& path, int left, int top, int width,
             int height, const QString& description)
    : QLabel(parent)
{
    setObjectName(QLatin1String(name));
    setAccessibleName(description);
    setPixmap(LoadPicture(path));
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
