// The settings dialog. Its option buttons are the live settings of the running
// monitor; its two hidden text boxes hold the words the settings files store.
#pragma once

#include "Form.h"
#include "OptionButton.h"
#include "SingleInstance.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

class settings : public Form, public SingleInstance<settings> {
public:
    settings();

    QPushButton* apbtn;
    QLineEdit* Text1;
    QGroupBox* Frame1;
    OptionButton* pl;
    OptionButton* bl;
    OptionButton* gl;
    QGroupBox* Frame2;
    OptionButton* si;
    OptionButton* ub;
    QLineEdit* Text2;

    void Form_Load();
    void bl_Click();
    void gl_Click();
    void pl_Click();
    void si_Click();
    void ub_Click();
    void apbtn_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SaveLightsColor();
    void SaveDisplayMode();
};
