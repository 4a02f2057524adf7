#include "settings.h"

#include "App.h"
#include "Form1.h"
#include "Form2.h"
#include "Module1.h"
#include "SettingsFile.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>

namespace {

QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                 int height)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    Place(frame, left, top, width, height);
    return frame;
}

} // namespace

settings::settings() : Form(FixedDialog())
{
    setObjectName(QStringLiteral("settings"));
    setWindowTitle(QStringLiteral("Corvane Settings"));
    setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    SetClientArea(7875, 4815, 3120, 2700);

    Frame2 = Frame(this, "Frame2", QStringLiteral("Settings"), 120, 120, 2895, 855);
    si = new OptionButton(Frame2, "si", QStringLiteral("Use System Tray Icon  (Default)"), 120, 240, 2655,
                          255);
    ub = new OptionButton(Frame2, "ub", QStringLiteral("Use Bar"), 120, 480, 2055, 255);
    Frame1 =
        Frame(this, "Frame1", QStringLiteral("Select color of tray icon lights :"), 120, 1080, 2895, 1095);
    bl = new OptionButton(Frame1, "bl", QStringLiteral("Blue Lights (Default)"), 120, 240, 2175, 255);
    gl = new OptionButton(Frame1, "gl", QStringLiteral("Green Lights"), 120, 480, 2175, 255);
    pl = new OptionButton(Frame1, "pl", QStringLiteral("Pink Lights"), 120, 720, 2175, 255);
    apbtn = new QPushButton(QStringLiteral("Close"), this);
    apbtn->setObjectName(QStringLiteral("apbtn"));
    apbtn->setToolTip(QStringLiteral("Closes the dialog box and saves any changes you have made."));
    Place(apbtn, 1920, 2280, 1095, 375);

    // The design selection, set without running the handlers.
    si->setChecked(true);
    bl->setChecked(true);

    setTabOrder(apbtn, pl);
    setTabOrder(pl, bl);
    setTabOrder(bl, gl);
    setTabOrder(gl, si);
    setTabOrder(si, ub);
    // First in the keyboard order, so the focus starts there.
    apbtn->setFocus();

    bl->Click = [this] { bl_Click(); };
    gl->Click = [this] { gl_Click(); };
    pl->Click = [this] { pl_Click(); };
    si->Click = [this] { si_Click(); };
    ub->Click = [this] { ub_Click(); };
    QObject::connect(apbtn, &QPushButton::clicked, this, [this] { apbtn_Click(); });
}

void settings::Form_Load()
{
    Module1::SetWindowTopmost(hWnd(), true);
}

void settings::bl_Click()
{
    gl->Value(false);
    pl->Value(false);
    bl->Value(true);
    Text1.setText(QStringLiteral("Blue Lights"));
}

void settings::gl_Click()
{
    bl->Value(false);
    pl->Value(false);
    gl->Value(true);
    Text1.setText(QStringLiteral("Green Lights"));
}

void settings::pl_Click()
{
    bl->Value(false);
    gl->Value(false);
    pl->Value(true);
    Text1.setText(QStringLiteral("Pink Lights"));
}

void settings::si_Click()
{
    ub->Value(false);
    bl->setEnabled(true);
    pl->setEnabled(true);
    gl->setEnabled(true);
    si->Value(true);
    Form2::Instance().hide();
    Form1::Instance().si();
    Text2.setText(QStringLiteral("Use System Tray Icon"));
}

void settings::ub_Click()
{
    si->Value(false);
    ub->Value(true);
    Form2::Instance().show();
    bl->setEnabled(false);
    pl->setEnabled(false);
    gl->setEnabled(false);
    Text2.setText(QStringLiteral("Use Bar"));
}

void settings::apbtn_Click()
{
    SaveLightsColor();
    SaveDisplayMode();
    hide();
}

void settings::closeEvent(QCloseEvent* event)
{
    // The close box reads as the dialog's only command, Close: save and hide.
    event->ignore();
    apbtn_Click();
}

void settings::SaveLightsColor()
{
    SettingsFile::WriteRecord(SettingsFile::InProgramFolder(QStringLiteral("settings.ini")), Text1.text());
}

void settings::SaveDisplayMode()
{
    SettingsFile::WriteRecord(SettingsFile::InProgramFolder(QStringLiteral("config.ini")), Text2.text());
}
