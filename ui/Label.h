// A caption on a window: a control named after its control, through which
// the window shows, read by a screen reader as the text it shows; with the
// tag text the monitor keeps beside some labels and an optional handler that
// runs whenever its caption is set.
#pragma once

#include "CaptionGlyphs.h"

#include <QStaticText>
#include <QWidget>
#include <functional>
#include <memory>

class Label : public QWidget {
public:
    // left, top, width, height in twips.
    Label(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
          int height);
    ~Label() override;

    QString Caption() const { return text_; }
    // Sets the caption and then runs Change, even for the caption it holds.
    void Caption(const QString& text);

    QString text() const { return text_; }
    // An unchanged caption costs nothing; a changed one repaints only what
    // differs from the caption it replaces, where both could be placed from
    // single glyphs.
    void setText(const QString& text);
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);

    // The window's own picture, for a caption that changes often and that no
    // control behind it overlaps: the caption then paints its part of the
    // picture itself, and the window need not be painted at each change.
    void Backdrop(const QPixmap* picture);

    QString Tag;
    std::function<void()> Change;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Forget();

    QString text_;
    bool wordWrap_ = false;
    // Captions set once are laid out whole; only one that keeps changing
    // earns glyphs of its own.
    int changes_ = 0;
    // The laid-out caption, kept between paints: a neighbour's change
    // repaints this one too.
    QStaticText drawn_;
    std::unique_ptr<CaptionGlyphs> glyphs_;
    bool placed_ = false;
    const QPixmap* backdrop_ = nullptr;
    CaptionGlyphs::Run run_;
};
