// A picture on a window, named after its control, that can be clicked.
#pragma once

#include <QLabel>
#include <functional>

class Image : public QLabel {
public:
    // left, top, width, height in twips; the picture comes from `path`.
    Image(QWidget* parent, const char* name, const QString& path, int left, int top, int width,
          int height);

    std::function<void()> Click;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Decoded when first shown: several pictures stay hidden for a whole
    // session, and a decoded picture costs four bytes a pixel.
    QString path_;
};
