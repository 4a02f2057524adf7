// The subnet mask shown for the machine's IP address: the class mask its
// first number suggests, in the main window's hidden mask label and in the
// details window.
#pragma once

#include <QString>

class SubnetLookup {
public:
    // Reads the IP address from the main window's address label and shows
    // the mask of its class; seven blanks in the main window's mask label
    // when there is none.
    void sbm();

    // Shows `Subnet` as the mask. The bit count and class name are kept for
    // callers but change nothing.
    void GetTotalComp(int bits, const QString& Class, const QString& Subnet);

    // The address text last read, and its first number as text.
    QString IPText;
    QString FirstNumberText;
};

extern SubnetLookup Subnet;
