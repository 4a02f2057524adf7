#include "OptionButton.h"

#include "Twips.h"

OptionButton::OptionButton(QWidget* frame, const char* name, const QString& caption, int left, int top,
                           int width, int height)
    : QRadioButton(caption, frame)
{
    setObjectName(QLatin1String(name));
    setAutoExclusive(false);
    Place(this, left, top, width, height);
}

void OptionButton::Value(bool selected)
{
    if (selected == isChecked())
        return;
    setChecked(selected);
    if (!selected)
        return;
    for (OptionButton* other : parentWidget()->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly))
        if (other != this)
            other->setChecked(false);
    if (Click)
        Click();
}

void OptionButton::nextCheckState()
{
    // A click on the selected option changes nothing.
    Value(true);
}
