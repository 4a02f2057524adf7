#include "details.h"

#include "App.h"
#include "Form1.h"
#include "Module1.h"
#include "Twips.h"
#include "platform/Picture.h"

#include <QAction>
#include <QCloseEvent>
#include <QPainter>
#include <QPushButton>

details::details() : Form(FixedDialog())
{
    setObjectName(QStringLiteral("details"));
    setWindowTitle(App::Title);
    setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    SetClientArea(6405, 2385, 5145, 4830);
    QPalette beige = palette();
    beige.setColor(QPalette::Window, QColor(236, 233, 216));
    setPalette(beige);
    setAutoFillBackground(true);

    Label1 = new Label(this, "Label1", QStringLiteral("Physical Address"), 360, 840, 1215, 255);
    Label2 = new Label(this, "Label2", QStringLiteral("IP Address"), 360, 1080, 1215, 255);
    Label3 = new Label(this, "Label3", QStringLiteral("Subnet Mask"), 360, 1320, 1215, 255);
    Label5 = new Label(this, "Label5", QStringLiteral("DHCP Server"), 360, 1560, 1215, 255);
    Label8 = new Label(this, "Label8", QStringLiteral("DNS Server"), 360, 1800, 1215, 255);
    padd = new Label(this, "padd", QString(), 2640, 840, 2175, 255);
    ipadd = new Label(this, "ipadd", QString(), 2640, 1080, 2175, 255);
    sb = new Label(this, "sb", QString(), 2640, 1320, 2175, 255);
    ds = new Label(this, "ds", QString(), 2640, 1560, 2175, 255);
    dnss = new Label(this, "dnss", QString(), 2640, 1800, 2175, 255);
    for (Label* l : {Label1, Label2, Label3, Label5, Label8, padd, ipadd, sb, ds, dnss})
        l->setFocusPolicy(Qt::NoFocus);

    cbtn = new QPushButton(QStringLiteral("Close"), this);
    cbtn->setObjectName(QStringLiteral("cbtn"));
    cbtn->setAutoDefault(false);
    Place(cbtn, 3840, 4320, 1095, 375);
    QObject::connect(cbtn, &QPushButton::clicked, this, [this] { cbtn_Click(); });
}

void details::paintEvent(QPaintEvent*)
{
    // Decoded when first drawn: most sessions never open this window.
    if (background_.isNull())
        background_ = LoadPicture(QStringLiteral(":/form/details.png"));
    QPainter(this).drawPixmap(0, 0, background_);
}

void details::Form_Load()
{
    Module1::SetWindowTopmost(hWnd(), true);
}

void details::cbtn_Click()
{
    hide();
    Form1& main = Form1::Instance();
    main.mnutrayshow->setEnabled(true);
    main.mnutraysettings->setEnabled(true);
    main.mnutrayabout->setEnabled(true);
    main.mnutrayhide->setEnabled(true);
}

void details::closeEvent(QCloseEvent* event)
{
    // The close box acts as Close, so the tray menu does not stay greyed.
    event->ignore();
    cbtn_Click();
}
