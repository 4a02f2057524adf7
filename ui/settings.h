// The settings dialog. Its option buttons are the live settings of the running
// monitor; two plain text members hold the words the settings files store.
#pragma once

#include "Form.h"
#include "OptionButton.h"
#include "SingleInstance.h"

#include <QString>
#include <utility>

class QGroupBox;
class QPushButton;

// A word the dialog keeps for a settings file. Plain text rather than a hidden
// text box: it never takes the focus, so no typing can reach it.
class StoredWord {
public:
    explicit StoredWord(QString design) : text_(std::move(design)) {}
    const QString& text() const { return text_; }
    void setText(const QString& text) { text_ = text; }

private:
    QString text_;
};

class settings : public Form, public SingleInstance<settings> {
public:
    settings();

    QPushButton* apbtn;
    StoredWord Text1{QStringLiteral("Blue Lights")};
    QGroupBox* Frame1;
    OptionButton* pl;
    OptionButton* bl;
    OptionButton* gl;
    QGroupBox* Frame2;
    OptionButton* si;
    OptionButton* ub;
    StoredWord Text2{QStringLiteral("Use System Tray Icon")};

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
