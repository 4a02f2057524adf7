// An option button whose Click handler runs whenever it becomes selected,
// whether the user chose it or code selected it, and never when it already
// was. Selecting one unselects the other options of the same frame; code may
// also unselect a button outright, which Qt's own exclusive buttons refuse.
#pragma once

#include <QRadioButton>
#include <functional>

class OptionButton : public QRadioButton {
public:
    // left, top, width, height in twips, relative to the frame.
    OptionButton(QWidget* frame, const char* name, const QString& caption, int left, int top, int width,
                 int height);

    bool Value() const { return isChecked(); }
    void Value(bool selected);

    std::function<void()> Click;

protected:
    void nextCheckState() override;
};
