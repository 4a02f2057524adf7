// Draws every PNG the program loads from its resources. Run by hand:
//   QT_QPA_PLATFORM=offscreen ./draw <resources dir>
// All coordinates are inclusive pixel positions, because the form pictures
// have to line up with widgets that the program places at fixed pixels.
// Each picture is drawn once per scale: NAME.png at 1x, NAME@2x.png with
// every pixel of the 1x picture covering 2x2 (the tray lights also @3x),
// so that dense screens get text, curves and gradients drawn at their own
// resolution instead of a blown-up bitmap. Qt picks the companion by the
// screen's device pixel ratio; the 1x pictures are the same as without them.

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QString outDir;
int scale = 1; // device pixels per picture pixel for the picture being drawn

const QColor kBlack(0, 0, 0);
const QColor kDialog(236, 233, 216);
const QColor kPageBorder(145, 155, 156);
const QColor kPageBody(252, 252, 254);
const QColor kGroupBorder(208, 208, 191);
const QColor kGroupTitle(0, 70, 213);
const QColor kEtchDark(172, 168, 153);
const QColor kWhite(255, 255, 255);

// Filled rectangle from (x0,y0) to (x1,y1), both corners included.
void box(QPainter& p, int x0, int y0, int x1, int y1, const QBrush& b)
{
    p.fillRect(QRect(QPoint(x0, y0), QPoint(x1, y1)), b);
}

void frame(QPainter& p, int x0, int y0, int x1, int y1, const QColor& c)
{
    box(p, x0, y0, x1, y0, c);
    box(p, x0, y1, x1, y1, c);
    box(p, x0, y0, x0, y1, c);
    box(p, x1, y0, x1, y1, c);
}

// Frame with the corner pixels pulled in, as the XP theme does.
void roundFrame(QPainter& p, int x0, int y0, int x1, int y1, const QColor& c)
{
    box(p, x0 + 2, y0, x1 - 2, y0, c);
    box(p, x0 + 2, y1, x1 - 2, y1, c);
    box(p, x0, y0 + 2, x0, y1 - 2, c);
    box(p, x1, y0 + 2, x1, y1 - 2, c);
    for (auto [x, y] : {std::pair{x0 + 1, y0 + 1}, {x1 - 1, y0 + 1}, {x0 + 1, y1 - 1}, {x1 - 1, y1 - 1}})
        box(p, x, y, x, y, c);
}

// A picture of w x h picture pixels at the current scale; painters on it
// take picture pixels, so the drawing code is the same at every scale.
QImage blank(int w, int h, const QColor& fillColor = Qt::transparent,
             QImage::Format format = QImage::Format_ARGB32)
{
    QImage img(w * scale, h * scale, format);
    img.setDevicePixelRatio(scale);
    img.fill(fillColor);
    return img;
}

// Writes NAME.png, or NAME@<scale>x.png above 1x.
void save(const QImage& img, QString name)
{
    if (scale > 1)
        name.insert(name.lastIndexOf('.'), QStringLiteral("@%1x").arg(scale));
    const QString path = outDir + '/' + name;
    QDir().mkpath(QFileInfo(path).path());
    if (!img.save(path, "PNG"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QFont uiFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// y is the top of a 13 px line box; the program's own 17 px label rows start
// 2 px above that, so text drawn here sits on the same baseline as theirs.
void text(QPainter& p, int x, int y, const QString& s, const QColor& c = kBlack)
{
    p.setPen(c);
    p.setFont(uiFont());
    p.drawText(QRect(x, y, 400, 13), Qt::AlignLeft | Qt::AlignVCenter, s);
}

int textWidth(const QString& s)
{
    return QFontMetrics(uiFont()).horizontalAdvance(s);
}

// Tab labels are nearly as wide as their tabs at full width; the condensed
// face leaves them some air.
QFont tabFont()
{
    QFont f = uiFont();
    f.setStretch(QFont::Condensed);
    return f;
}

// ---------------------------------------------------------------- tray icons

// 16x16 is too small for anything but hand-placed pixels, so both computers
// are fixed rectangles. Screen interiors stay flat: the colour is what tells
// the state apart at that size.
QImage trayIcon(const QColor& lit, const QColor& led, bool backLit, bool frontLit)
{
    const QColor casing(192, 192, 192), shade(128, 128, 128), dark(56, 56, 94);
    QImage img = blank(16, 16);
    QPainter p(&img);

    // Back computer, upper right: monitor x 7..14, y 0..6 on a base x 6..15.
    box(p, 6, 6, 15, 9, kBlack);
    box(p, 7, 7, 14, 8, casing);
    box(p, 7, 8, 11, 8, shade);
    box(p, 13, 8, 13, 8, led);
    box(p, 7, 0, 14, 6, kBlack);
    box(p, 8, 1, 13, 5, casing);
    box(p, 9, 2, 12, 4, backLit ? lit : dark);

    // Front computer, lower left, drawn last so it hides the back one's corner.
    box(p, 0, 12, 10, 15, kBlack);
    box(p, 1, 13, 9, 14, casing);
    box(p, 1, 14, 6, 14, shade);
    box(p, 8, 14, 8, 14, led);
    box(p, 1, 5, 9, 12, kBlack);
    box(p, 2, 6, 8, 11, casing);
    box(p, 3, 7, 7, 10, frontLit ? lit : dark);
    return img;
}

// --------------------------------------------------------- larger monitors

// A monitor whose case spans w x h pixels at (x0,y0), with a neck and a foot
// underneath (5 more rows). The screen is inset 3 px, 4 px at the bottom.
void monitor(QPainter& p, int x0, int y0, int w, int h, const QBrush& screen)
{
    const int x1 = x0 + w - 1, y1 = y0 + h - 1, cx = x0 + w / 2;
    const QColor casing(200, 200, 200), light(236, 236, 236), shadow(140, 140, 140);

    box(p, x0 + 3, y1 + 3, x1 - 3, y1 + 5, kBlack); // foot
    box(p, x0 + 4, y1 + 4, x1 - 4, y1 + 4, casing);
    box(p, cx - 2, y1 + 1, cx + 2, y1 + 3, kBlack); // neck
    box(p, cx - 1, y1 + 1, cx + 1, y1 + 3, shadow);

    box(p, x0, y0, x1, y1, kBlack);
    box(p, x0 + 1, y0 + 1, x1 - 1, y1 - 1, casing);
    box(p, x0 + 1, y0 + 1, x1 - 1, y0 + 1, light);
    box(p, x0 + 1, y0 + 1, x0 + 1, y1 - 1, light);
    box(p, x0 + 2, y1 - 1, x1 - 1, y1 - 1, shadow);
    box(p, x1 - 1, y0 + 2, x1 - 1, y1 - 1, shadow);
    frame(p, x0 + 2, y0 + 2, x1 - 2, y1 - 3, QColor(96, 96, 96));
    box(p, x0 + 3, y0 + 3, x1 - 3, y1 - 4, screen);
}

QBrush screenGradient(int x0, int y0, int x1, int y1, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(x0, y0, x1, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// The Activity box's picture: back screen = receiving, front screen = sending.
QImage indicator(bool receiving, bool sending)
{
    const QColor lit(0, 112, 255), dark(128, 128, 128);
    QImage img = blank(27, 34);
    QPainter p(&img);
    monitor(p, 10, 0, 17, 14, receiving ? lit : dark);
    monitor(p, 0, 14, 18, 15, sending ? lit : dark);
    return img;
}

QImage appIcon()
{
    QImage img = blank(32, 32);
    QPainter p(&img);
    const QColor top(120, 190, 255), bottom(0, 60, 200);
    monitor(p, 12, 1, 19, 15, screenGradient(15, 4, 27, 12, top, bottom));
    monitor(p, 1, 11, 20, 16, screenGradient(4, 14, 17, 23, top, bottom));
    return img;
}

// Two machines and the cable between them, for the Support page.
QImage connectionIcon()
{
    QImage img = blank(32, 32);
    QPainter p(&img);
    const QColor top(150, 230, 240), bottom(0, 110, 160);

    QPainterPath cable;
    cable.moveTo(8, 18);
    cable.lineTo(8, 25);
    cable.quadTo(8, 29, 12, 29);
    cable.lineTo(20, 29);
    p.setRenderHint(QPainter::Antialiasing);
    p.strokePath(cable, QPen(QColor(40, 40, 40), 2, Qt::SolidLine, Qt::FlatCap));
    p.setRenderHint(QPainter::Antialiasing, false);

    monitor(p, 0, 1, 15, 12, screenGradient(3, 4, 11, 9, top, bottom));
    monitor(p, 17, 13, 15, 12, screenGradient(20, 16, 28, 21, top, bottom));
    return img;
}

// ------------------------------------------------------------- form pieces

void groupBox(QPainter& p, int x0, int titleTop, int x1, int y1, const QString& title)
{
    const int y0 = titleTop + 6; // the frame runs through the title's middle
    roundFrame(p, x0, y0, x1, y1, kGroupBorder);
    const int tx = x0 + 8;
    box(p, tx - 2, y0, tx + textWidth(title) + 1, y0, kPageBody);
    text(p, tx, titleTop, title, kGroupTitle);
}

// Selected tab: joined to the page below it (no bottom edge), orange top.
void activeTab(QPainter& p, int x0, int x1, const QString& label)
{
    const int y0 = 8, y1 = 25;
    box(p, x0 + 1, y0 + 2, x1 - 1, y1, kPageBody);
    box(p, x0, y0 + 2, x0, y1, kPageBorder);
    box(p, x1, y0 + 2, x1, y1, kPageBorder);
    box(p, x0 + 2, y0, x1 - 2, y0, QColor(230, 139, 44));
    box(p, x0 + 1, y0 + 1, x1 - 1, y0 + 1, QColor(255, 199, 60));
    box(p, x0 + 1, y0 + 2, x1 - 1, y0 + 2, QColor(255, 221, 128));
    box(p, x0 + 1, y0 + 1, x0 + 1, y0 + 1, QColor(230, 139, 44));
    box(p, x1 - 1, y0 + 1, x1 - 1, y0 + 1, QColor(230, 139, 44));
    p.setPen(kBlack);
    p.setFont(tabFont());
    p.drawText(QRect(QPoint(x0, y0 + 3), QPoint(x1, y1)), Qt::AlignCenter, label);
}

// A tab that is not selected. It sits at y 8 like the selected one, so its
// last row falls on the page's top edge and carries that edge on.
QImage inactiveTab(int w, const QString& label)
{
    const int h = 18;
    QImage img = blank(w, h);
    QPainter p(&img);
    QLinearGradient g(0, 1, 0, h - 2);
    g.setColorAt(0, kWhite);
    g.setColorAt(1, QColor(226, 224, 212));
    box(p, 1, 1, w - 2, h - 2, g);
    roundFrame(p, 0, 0, w - 1, h + 4, kPageBorder);
    box(p, 0, h - 1, w - 1, h - 1, kPageBorder);
    p.setPen(kBlack);
    p.setFont(tabFont());
    p.drawText(QRect(0, 1, w, h - 2), Qt::AlignCenter, label);
    return img;
}

// Beige dialog with the XP property page on it; the tabs go on top.
QImage propertyPage(int h)
{
    QImage img = blank(361, h, kDialog);
    QPainter p(&img);
    box(p, 4, 25, 355, 377, kPageBorder);
    box(p, 5, 26, 354, 376, kPageBody);
    return img;
}

QImage generalPage()
{
    QImage img = propertyPage(418);
    QPainter p(&img);
    activeTab(p, 8, 54, QStringLiteral("General"));

    groupBox(p, 20, 44, 340, 186, QStringLiteral("Connection"));

    groupBox(p, 20, 192, 340, 300, QStringLiteral("Activity"));
    // The indicator picture lies at (192,208), front screen (sending) lower left.
    text(p, 182 - textWidth(QStringLiteral("Sent")), 218, QStringLiteral("Sent"));
    text(p, 229, 218, QStringLiteral("Received"));
    text(p, 36, 274, QStringLiteral("Packets:"));
    box(p, 212, 270, 212, 289, kEtchDark);
    box(p, 213, 270, 213, 289, kWhite);
    return img;
}

QImage supportPage()
{
    QImage img = propertyPage(386);
    QPainter p(&img);
    activeTab(p, 59, 103, QStringLiteral("Support"));
    groupBox(p, 20, 44, 340, 186, QStringLiteral("Connection status"));
    p.drawImage(36, 76, connectionIcon());
    text(p, 120, 90, QStringLiteral("IP Address:"));
    text(p, 120, 114, QStringLiteral("Subnet Mask:"));
    return img;
}

QImage detailsDialog()
{
    QImage img = blank(341, 322, kDialog, QImage::Format_RGB32);
    QPainter p(&img);
    text(p, 11, 8, QStringLiteral("Network Connection Details:"));

    frame(p, 11, 28, 330, 243, QColor(127, 157, 185));
    box(p, 12, 29, 329, 46, QColor(235, 234, 219));
    box(p, 12, 47, 329, 47, QColor(226, 222, 205));
    box(p, 12, 48, 329, 48, QColor(214, 210, 194));
    box(p, 12, 49, 329, 49, QColor(203, 199, 184));
    box(p, 169, 33, 169, 45, QColor(199, 197, 178));
    box(p, 170, 33, 170, 45, kWhite);
    text(p, 16, 33, QStringLiteral("Property"));
    text(p, 176, 33, QStringLiteral("Value"));
    box(p, 12, 50, 329, 242, kWhite);

    box(p, 8, 280, 333, 280, kEtchDark);
    box(p, 8, 281, 333, 281, kWhite);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources dir>\n", argv[0]);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);

    struct Group {
        QColor lit, led;
    };
    const Group groups[] = {
        {QColor(0, 255, 0), QColor(0, 255, 0)},
        {QColor(0, 255, 255), QColor(103, 204, 255)},
        {QColor(255, 0, 255), QColor(255, 0, 255)},
    };
    // light<4*group + state + 1>; state bit 0 = receiving (back), bit 1 = sending (front).
    // The tray icon comes in 16, 32 and 48 pixels: panels ask for all three.
    for (scale = 1; scale <= 3; ++scale)
        for (int g = 0; g < 3; ++g)
            for (int s = 0; s < 4; ++s)
                save(trayIcon(groups[g].lit, groups[g].led, s & 1, s & 2),
                     QStringLiteral("tray/light%1.png").arg(4 * g + s + 1, 2, 10, QLatin1Char('0')));

    for (scale = 1; scale <= 2; ++scale) {
        save(indicator(false, false), QStringLiteral("indicator/noby.png"));
        save(indicator(true, false), QStringLiteral("indicator/downby.png"));
        save(indicator(false, true), QStringLiteral("indicator/upby.png"));
        save(indicator(true, true), QStringLiteral("indicator/tby.png"));

        save(appIcon(), QStringLiteral("corvane.png"));
        save(generalPage().convertToFormat(QImage::Format_RGB888), QStringLiteral("form/general.png"));
        save(supportPage().convertToFormat(QImage::Format_RGB888), QStringLiteral("form/support.png"));
        save(inactiveTab(47, QStringLiteral("General")), QStringLiteral("form/g1.png"));
        save(inactiveTab(45, QStringLiteral("Support")), QStringLiteral("form/s1.png"));
        save(detailsDialog().convertToFormat(QImage::Format_RGB888), QStringLiteral("form/details.png"));
    }
    return 0;
}
