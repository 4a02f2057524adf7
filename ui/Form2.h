// The bar: a borderless strip along the top of the screen with the totals and
// the rates, used in place of the notification-area icon.
#pragma once

#include "Form.h"
#include "Label.h"
#include "SingleInstance.h"

class QAction;
class QMenu;

class Form2 : public Form, public SingleInstance<Form2> {
public:
    Form2();

    Label* Label1;
    Label* br;
    Label* Label2;
    Label* bs;
    Label* Label6;
    Label* ib;
    Label* Label4;
    Label* ob;

    QMenu* mnurc;
    QAction* mnurcshow;
    QAction* mnurchide;
    QAction* mnurcem2;
    QAction* mnurcst;
    QAction* mnurcempty;
    QAction* mnurcab;
    QAction* mnurcex;

    void Form_MouseUp(int Button, int Shift, float X, float Y);
    void mnurcab_Click();
    void mnurcex_Click();
    void mnurchide_Click();
    void mnurcshow_Click();
    void mnurcst_Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
