#include "Form2.h"

#include "Twips.h"

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
}
