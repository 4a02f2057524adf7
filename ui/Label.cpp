#include "Label.h"

#include "Twips.h"

#include <QPainter>

Label::Label(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
             int height)
    : QLabel(caption, parent)
{
    // The name is for code only; a screen reader says what the label shows.
    setObjectName(QLatin1String(name));
    // The window's picture or colour shows through behind the text.
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    Place(this, left, top, width, height);
}

void Label::paintEvent(QPaintEvent*)
{
    if (drawn_.text() != text() || (wordWrap() && drawn_.textWidth() != width())) {
        drawn_.setTextFormat(Qt::PlainText);
        drawn_.setTextWidth(wordWrap() ? width() : -1);
        drawn_.setText(text());
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawStaticText(0, 0, drawn_);
}

void Label::Caption(const QString& text)
{
    // QLabel ignores a caption it already holds, so an unchanged value costs
    // no repaint.
    setText(text);
    if (Change)
        Change();
}
