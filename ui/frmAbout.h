// The about box: the product's name, version and what it does. It is destroyed
// when closed and made afresh when next shown.
#pragma once

#include "Form.h"
#include "Image.h"
#include "Label.h"
#include "SingleInstance.h"

class QPushButton;

class frmAbout : public Form, public SingleInstance<frmAbout> {
public:
    frmAbout();

    Image* Image1;
    Label* lblTitle;
    Label* lblVersion;
    Label* lblDescription;
    Label* lblDisclaimer;
    QWidget* Line1[2];
    QPushButton* cmdOK;

    // Shows the box modeless, making it first if there is none.
    static void ShowBox();

    void Form_Load();
    void cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
