// The bar: a borderless strip along the top of the screen with the totals and
// the rates, used in place of the notification-area icon.
#pragma once

#include "Form.h"
#include "Label.h"
#include "SingleInstance.h"

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
};
