#include "Form2.h"

#include "Form1.h"
#include "Twips.h"
#include "frmAbout.h"
#include "settings.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>

Form2::Form2() : Form(Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    // Deliberately not fitted to the screen: the strip keeps its width, and its
    // top two rows lie above the screen's edge.
    const QRect area = TwipsRect(45, -30, 11910, 315);
    setFixedSize(area.size());
    setGeometry(area);

    // Menu-text colour behind window-colour text: black and white in the
    // usual scheme, the user's own otherwise.
    QPalette colours = palette();
    const QColor back = colours.color(QPalette::WindowText);
    const QColor text = colours.color(QPalette::Base);
    colours.setColor(QPalette::Window, back);
    colours.setColor(QPalette::WindowText, text);
    setPalette(colours);
    setAutoFillBackground(true);

    Label1 = new Label(this, "Label1", QStringLiteral("Total Bytes received:"), 240, 75, 1695, 255);
    br = new Label(this, "br", QString(), 1800, 75, 1695, 255);
    Label2 = new Label(this, "Label2", QStringLiteral("Total Bytes sent:"), 3600, 75, 1335, 255);
    bs = new Label(this, "bs", QString(), 4800, 75, 1695, 255);
    Label6 = new Label(this, "Label6", QStringLiteral("Incomming Bytes:"), 6600, 75, 1335, 255);
    ib = new Label(this, "ib", QString(), 7920, 75, 1335, 255);
    Label4 = new Label(this, "Label4", QStringLiteral("Outgoing Bytes:"), 9360, 75, 1215, 255);
    ob = new Label(this, "ob", QString(), 10560, 75, 1335, 255);

    mnurc = new QMenu(QStringLiteral("Right Click"), this);
    mnurc->setObjectName(QStringLiteral("mnurc"));
    auto item = [this](const char* name, const QString& caption, void (Form2::*handler)()) {
        QAction* a = mnurc->addAction(caption);
        a->setObjectName(QLatin1String(name));
        QObject::connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    auto separator = [this](const char* name) {
        QAction* a = mnurc->addSeparator();
        a->setObjectName(QLatin1String(name));
        return a;
    };
    mnurcshow = item("mnurcshow", QStringLiteral("Show"), &Form2::mnurcshow_Click);
    mnurcshow->setVisible(false);
    mnurchide = item("mnurchide", QStringLiteral("Hide"), &Form2::mnurchide_Click);
    mnurcem2 = separator("mnurcem2");
    mnurcst = item("mnurcst", QStringLiteral("Settings"), &Form2::mnurcst_Click);
    mnurcempty = separator("mnurcempty");
    mnurcab = item("mnurcab", QStringLiteral("About"), &Form2::mnurcab_Click);
    mnurcex = item("mnurcex", QStringLiteral("Exit"), &Form2::mnurcex_Click);
}

void Form2::mouseReleaseEvent(QMouseEvent* event)
{
    // The labels have no mouse handling of their own: a release over one of
    // them opens nothing, only the strip's own surface does.
    if (childAt(event->position().toPoint()))
        return;
    Form_MouseUp(static_cast<int>(event->button()), static_cast<int>(event->modifiers()),
                 static_cast<float>(event->position().x() * TwipsPerPixel),
                 static_cast<float>(event->position().y() * TwipsPerPixel));
}

void Form2::Form_MouseUp(int, int, float, float)
{
    TrackPopupMenu(mnurc, TPM_RIGHTALIGN | TPM_LEFTBUTTON, hWnd());
}

void Form2::mnurcab_Click()
{
    frmAbout::ShowBox();
}

void Form2::mnurcex_Click()
{
    Form1::Instance().ExitSequence();
}

void Form2::mnurchide_Click()
{
    mnurchide->setVisible(false);
    mnurcshow->setVisible(true);
    Form1::Instance().hide();
}

void Form2::mnurcshow_Click()
{
    mnurcshow->setVisible(false);
    mnurchide->setVisible(true);
    Form1::Instance().show();
}

void Form2::mnurcst_Click()
{
    settings& dialog = settings::Instance();
    dialog.show();
    dialog.raise();
}
