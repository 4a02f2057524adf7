#include "Form.h"

#include "Twips.h"
#include "platform/WindowStyle.h"

#include <QEventLoop>
#include <QPointer>

// The pictures are compiled into the library; a static library's resources
// are only registered when something asks for them. (Outside any namespace:
// the macro declares the registering function where it stands.)
static void LoadPictures()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

Form::Form(Qt::WindowFlags flags) : QWidget(nullptr, flags)
{
    LoadPictures();
    setFont(WindowFont());
}

QFont Form::WindowFont()
{
    // The layouts are fixed in pixels, so the font is too: a narrow face at
    // 10 pixels lets the longest caption fit its box.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPixelSize(10);
    return font;
}

Qt::WindowFlags Form::FixedDialog()
{
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

LRESULT Form::WindowProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

void Form::SetClientArea(int left, int top, int width, int height)
{
    const QRect r = TwipsRect(left, top, width, height);
    setFixedSize(r.size());
    setGeometry(r);
}

void Form::showEvent(QShowEvent* event)
{
    SetSkipTaskbar(this);
    QWidget::showEvent(event);
}

void Form::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (modalLoop_)
        modalLoop_->quit();
}

void Form::ShowModal()
{
    QPointer<Form> self(this);
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    QEventLoop* outer = modalLoop_;
    modalLoop_ = &loop;
    QObject::connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (isVisible())
        loop.exec();
    if (self) {
        modalLoop_ = outer;
        setWindowModality(Qt::NonModal);
    }
}
