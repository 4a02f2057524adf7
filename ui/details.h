// The details dialog: the machine's physical address, IP address, subnet
// mask, DHCP server and DNS server as a two-column list.
#pragma once

#include "Form.h"
#include "Label.h"
#include "SingleInstance.h"

#include <QPixmap>

class QPushButton;

class details : public Form, public SingleInstance<details> {
public:
    details();

    Label* Label1;
    Label* Label2;
    Label* Label3;
    Label* Label5;
    Label* Label8;
    Label* padd;
    Label* ipadd;
    Label* sb;
    Label* ds;
    Label* dnss;
    QPushButton* cbtn;

    void Form_Load();
    void cbtn_Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPixmap background_;
};
