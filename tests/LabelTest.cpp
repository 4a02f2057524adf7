// Captions that change twice a second are drawn from glyphs shaped once and
// repainted only where they changed; what reaches the screen must be what a
// caption laid out whole would have shown.
#include "ui/Form.h"
#include "ui/Label.h"

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {
// A window whose own picture shows through its captions.
class Backdrop : public QWidget {
public:
    explicit Backdrop(const QFont& font)
    {
        setFont(font);
        setFixedSize(240, 40);
        // A picture rather than a gradient drawn each time: a gradient drawn
        // over part of a window may differ by a shade from one drawn whole.
        QImage picture(480, 80, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient shade(0, 0, picture.width(), picture.height());
        shade.setColorAt(0, QColor(200, 230, 255));
        shade.setColorAt(1, QColor(255, 210, 160));
        painter.fillRect(picture.rect(), shade);
        picture_ = QPixmap::fromImage(picture);
        picture_.setDevicePixelRatio(2);
    }
    const QPixmap* Picture() const { return &picture_; }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, picture_); }

private:
    QPixmap picture_;
};

QImage Render(QWidget& window, qreal ratio)
{
    QImage image(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    window.render(&image);
    return image;
}

// Counts, rates in several locales' separators, words, and text that must be
// laid out in context (a ligature, Arabic digits, an accent).
const QStringList Captions = {
    QStringLiteral("0"),
    QStringLiteral("1"),
    QStringLiteral("17"),
    QStringLiteral("4294967295"),
    QStringLiteral("4294967296"),
    QStringLiteral("18446744073709551615"),
    QStringLiteral("1,234.5 kbps"),
    QStringLiteral("1\u202F234,5 kbps"),
    QStringLiteral("1\u2019234.5 kbps"),
    QStringLiteral("office"),
    QStringLiteral("\u0661\u0662\u0663"),
    QStringLiteral("e\u0301t\u00e9"),
    QString(),
    QStringLiteral("1,234.5 kbps"),
};

class Captured : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// Waits for the window to paint what is pending; the region painted is left
// in `captured`, which starts empty again.
bool Repainted(Captured& captured)
{
    captured.painted = QRegion();
    return QTest::qWaitFor([&] { return !captured.painted.isEmpty(); }, 2000);
}
} // namespace

TEST(Label, ChangingCaptionsLookExactlyAsCaptionsLaidOutWhole)
{
    QFont bold(QStringLiteral("DejaVu Serif"));
    bold.setPointSize(13);
    bold.setBold(true);
    for (const QFont& font : {Form::WindowFont(), QFont(QStringLiteral("Tahoma"), 8), bold}) {
        // On the window's picture, and painting that picture itself.
        for (auto [ratio, own] : {std::pair{1.0, false}, {2.0, false}, {1.0, true}, {2.0, true}}) {
            Backdrop changing(font);
            // Twips: 3000 x 600 is 200 x 40 pixels.
            Label moving(&changing, "moving", QStringLiteral("start"), 150, 0, 3000, 600);
            if (own)
                moving.Backdrop(changing.Picture());
            // Only a caption on screen is placed glyph by glyph.
            changing.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&changing));
            moving.Caption(QStringLiteral("9"));
            for (const QString& caption : Captions) {
                moving.Caption(caption);
                Backdrop fresh(font);
                Label whole(&fresh, "whole", caption, 150, 0, 3000, 600);
                const QImage expected = Render(fresh, ratio);
                ASSERT_EQ(Render(changing, ratio), expected)
                    << caption.toStdString() << " in " << font.family().toStdString() << " at " << ratio
                    << (own ? ", its own backdrop" : "");
            }
        }
    }
}

// Once on the window's picture, once painting that picture itself.
class LabelRepaints : public ::testing::TestWithParam<bool> {};

TEST_P(LabelRepaints, WhereItChangedAndNothingWhenItDidNot)
{
    Backdrop window(Form::WindowFont());
    Label count(&window, "count", QString(), 150, 0, 3000, 300);
    if (GetParam())
        count.Backdrop(window.Picture());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Captured captured;
    count.installEventFilter(&captured);

    // old -> new: a count growing in its last digits, one growing a digit, a
    // rate changing entirely, and captions that cannot be placed glyph by glyph.
    const QList<std::pair<QString, QString>> changes = {
        {QStringLiteral("2147483000"), QStringLiteral("2147483647")},
        {QStringLiteral("2147483647"), QStringLiteral("2147483699")},
        {QStringLiteral("99999"), QStringLiteral("100000")},
        {QStringLiteral("100000"), QStringLiteral("99999")},
        {QStringLiteral("12.5 kbps"), QStringLiteral("7,034.25 kbps")},
        {QStringLiteral("1234"), QStringLiteral("office")},
        {QStringLiteral("office"), QStringLiteral("1239")},
        {QStringLiteral("1239"), QStringLiteral("1231")},
    };
    int narrow = 0;
    for (const auto& [before, after] : changes) {
        count.Caption(before);
        count.Caption(before + QLatin1Char('0'));
        count.Caption(before);
        ASSERT_TRUE(Repainted(captured));
        const QImage was = Render(window, 1);
        count.Caption(after);
        ASSERT_TRUE(Repainted(captured));
        const QRegion painted = captured.painted.translated(count.pos());
        const QImage is = Render(window, 1);
        // What reached the screen after repainting only that much is the
        // caption drawn whole.
        const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
        ASSERT_EQ(screen.convertToFormat(QImage::Format_RGB32), is.convertToFormat(QImage::Format_RGB32))
            << before.toStdString() << " -> " << after.toStdString();
        for (int y = 0; y < was.height(); ++y)
            for (int x = 0; x < was.width(); ++x)
                if (was.pixel(x, y) != is.pixel(x, y))
                    ASSERT_TRUE(painted.contains(QPoint(x, y)))
                        << before.toStdString() << " -> " << after.toStdString() << ": " << x << "," << y;
        if (painted.boundingRect().width() < count.width() / 3)
            ++narrow;

        captured.painted = QRegion();
        count.Caption(after);
        QTest::qWait(50);
        EXPECT_TRUE(captured.painted.isEmpty()) << "an unchanged caption repainted";
    }
    EXPECT_GE(narrow, 2) << "a count growing in its last digits repaints those digits only";
}

INSTANTIATE_TEST_SUITE_P(Label, LabelRepaints, ::testing::Bool());
