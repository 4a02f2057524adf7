// A picture on a window, named after its control, that can be clicked. A
// screen reader hears its short description, or nothing for a picture that
// only decorates. It shows the picture's @2x companion on dense screens
// (see LoadPicture).
#pragma once

#include <QLabel>
#include <functional>

class Image : public QLabel {
public:
    // left, top, width, height in twips; the picture comes from `path`.
    Image(QWidget* parent, const char* name, const QString& path, int left, int top, int width, int height,
          const QString& description = QString());

    std::function<void()> Click;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Decoded when first shown: several pictures stay hidden for a whole
    // session, and a decoded picture costs four bytes a pixel.
    QString path_;
};
