#include "Label.h"

#include "Twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>

namespace {
// What a screen reader is told of a caption: static text that reads as what
// it shows.
class LabelAccessible : public QAccessibleWidget {
public:
    explicit LabelAccessible(Label* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString set = widget()->accessibleName();
            return set.isEmpty() ? static_cast<Label*>(widget())->text() : set;
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* LabelAccessibleFactory(const QString&, QObject* object)
{
    if (auto* label = dynamic_cast<Label*>(object))
        return new LabelAccessible(label);
    return nullptr;
}
} // namespace

Label::Label(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
             int height)
    : QWidget(parent), text_(caption)
{
    static const bool once = (QAccessible::installFactory(LabelAccessibleFactory), true);
    (void)once;
    // The name is for code only; a screen reader says what the label shows.
    setObjectName(QLatin1String(name));
    // The window's picture or colour shows through behind the text.
    setAutoFillBackground(false);
    Place(this, left, top, width, height);
}

Label::~Label() = default;

void Label::Caption(const QString& text)
{
    setText(text);
    if (Change)
        Change();
}

void Label::setText(const QString& text)
{
    if (text == text_)
        return;
    const QString before = std::exchange(text_, text);
    const bool wasPlaced = std::exchange(placed_, false);
    CaptionGlyphs::Run was = std::move(run_);
    // A hidden caption is laid out whole when it is next shown.
    if (++changes_ > 1 && !wordWrap_ && isVisible()) {
        if (!glyphs_)
            glyphs_ = std::make_unique<CaptionGlyphs>(font());
        placed_ = glyphs_->Place(text_, run_);
    }
    if (wasPlaced && placed_) {
        const auto [left, right] = CaptionGlyphs::ChangedSpan(before, was, text_, run_);
        update(left, 0, right - left, height());
    } else {
        update();
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void Label::Backdrop(const QPixmap* picture)
{
    backdrop_ = picture;
    setAttribute(Qt::WA_OpaquePaintEvent, picture != nullptr);
}

void Label::setWordWrap(bool on)
{
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    placed_ = false;
    update();
}

void Label::Forget()
{
    glyphs_.reset();
    placed_ = false;
    drawn_ = QStaticText();
}

void Label::changeEvent(QEvent* event)
{
    // Glyphs belong to the font they were shaped in.
    if (event->type() == QEvent::FontChange) {
        Forget();
        update();
    }
    QWidget::changeEvent(event);
}

void Label::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // Drawn where the window draws it, so the pixels are the window's own.
    if (backdrop_)
        painter.drawPixmap(-mapTo(window(), QPoint(0, 0)), *backdrop_);
    painter.setPen(palette().color(foregroundRole()));
    if (placed_) {
        glyphs_->Draw(painter, run_, event->rect());
        return;
    }
    if (drawn_.text() != text_ || (wordWrap_ && drawn_.textWidth() != width())) {
        drawn_.setTextFormat(Qt::PlainText);
        drawn_.setTextWidth(wordWrap_ ? width() : -1);
        drawn_.setText(text_);
    }
    painter.drawStaticText(0, 0, drawn_);
}
