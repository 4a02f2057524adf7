#include "Form.h"

#include "Twips.h"
#include "platform/WindowStyle.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWindow>

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

namespace {

// While a window is shown modally, what the user does to the program's other
// windows is dropped, as a modal dialog disables the windows behind it. The
// notification icon's own window and popup menus are none of the program's
// windows, so the icon keeps answering and its menu opens. (Qt's own
// application modality would block the icon's window too.)
class ModalInput : public QObject {
public:
    explicit ModalInput(Form* dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
    ~ModalInput() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (!event->spontaneous() || !IsUserInput(event->type()))
            return false;
        QWidget* window = nullptr;
        if (receiver->isWidgetType())
            window = static_cast<QWidget*>(receiver)->window();
        else if (receiver->isWindowType())
            window = TopLevelOf(static_cast<QWindow*>(receiver));
        if (!window || window == dialog_ || dynamic_cast<Form*>(window) == nullptr)
            return false;
        event->ignore(); // a close box stays without effect
        return true;
    }

private:
    static bool IsUserInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

    static QWidget* TopLevelOf(QWindow* window)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == window)
                return w;
        return nullptr;
    }

    QPointer<Form> dialog_;
};

} // namespace

void Form::ShowModal()
{
    QPointer<Form> self(this);
    ModalInput others(this);
    show();
    QEventLoop loop;
    QEventLoop* outer = modalLoop_;
    modalLoop_ = &loop;
    QObject::connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (isVisible())
        loop.exec();
    if (self)
        modalLoop_ = outer;
}
