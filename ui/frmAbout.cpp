#include "frmAbout.h"

#include "App.h"
#include "Module1.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// One stroke of the etched separator, drawn as a thin filled strip.
QWidget* Line(QWidget* parent, const char* name, const QColor& colour, int x1, int y1, int x2, int width)
{
    auto* line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    QPalette p = line->palette();
    p.setColor(QPalette::Window, colour);
    line->setPalette(p);
    line->setAutoFillBackground(true);
    line->setGeometry(Px(x1), Px(y1), Px(x2) - Px(x1), width);
    return line;
}

} // namespace

frmAbout::frmAbout() : Form(FixedDialog())
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About %1").arg(App::Title));
    setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    SetClientArea(3405, 3510, 5205, 2295);

    Image1 = new Image(this, "Image1", QStringLiteral(":/corvane.png"), 120, 240, 480, 480);
    lblTitle = new Label(this, "lblTitle", App::Title, 690, 240, 3885, 240);
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(black);
    lblVersion =
        new Label(this, "lblVersion", QStringLiteral("Version %1.%2").arg(App::Major).arg(App::Minor), 720,
                  480, 3885, 225);
    lblDescription = new Label(this, "lblDescription",
                               QStringLiteral("Watches this machine's network traffic: the tray icon's "
                                              "screens light up while data is received or sent, and the "
                                              "main window shows the bytes moved since start and the "
                                              "machine's addresses."),
                               720, 840, 3885, 855);
    lblDescription->setWordWrap(true);
    lblDisclaimer = new Label(this, "lblDisclaimer",
                              QStringLiteral("Corvane only reads what this machine reports; it sends "
                                             "nothing over the network."),
                              120, 1800, 3495, 465);
    lblDisclaimer->setWordWrap(true);
    Line1[1] = Line(this, "Line1_1", QColor(128, 128, 128), 90, 1725, 5160, 1);
    Line1[0] = Line(this, "Line1_0", Qt::white, 105, 1740, 5160, 2);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setAutoDefault(false);
    Place(cmdOK, 3840, 1800, 1260, 345);
    QObject::connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    setFocusProxy(cmdOK);
}

void frmAbout::ShowBox()
{
    frmAbout& box = Instance();
    box.show();
    box.raise();
    box.activateWindow();
}

void frmAbout::Form_Load()
{
    Module1::SetWindowTopmost(hWnd(), true);
}

void frmAbout::cmdOK_Click()
{
    UnloadLater();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    // OK is both the default and the cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        cmdOK_Click();
        return;
    default:
        Form::keyPressEvent(event);
    }
}

void frmAbout::closeEvent(QCloseEvent* event)
{
    event->accept();
    UnloadLater();
}
