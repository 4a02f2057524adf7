// A caption on a window: a transparent QLabel named after its control (its
// accessible name stays the text it shows), with
// the tag text the monitor keeps beside some labels and an optional handler
// that runs whenever its caption is set.
#pragma once

#include <QLabel>
#include <QStaticText>
#include <functional>

class Label : public QLabel {
public:
    // left, top, width, height in twips.
    Label(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
          int height);

    QString Caption() const { return text(); }
    // Sets the caption and then runs Change, even for the caption it holds.
    void Caption(const QString& text);

    QString Tag;
    std::function<void()> Change;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The laid-out caption, kept between paints: several captions change
    // twice a second, and a neighbour's change repaints this one too.
    QStaticText drawn_;
};
