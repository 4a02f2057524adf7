// The DHCP server that gave this machine its address, from the adapter list
// of the IP helper services, shown in the details window.
#pragma once

#include <QString>

class DhcpLookup {
public:
    // Shows the server in the details window's DHCP line.
    void DHCP();

    // The server of the first DHCP-enabled adapter that names one, as
    // dotted text; "" when there is none or the list cannot be had.
    QString GetDhcpServer();
};

extern DhcpLookup DHCP;
