// The machine's first DNS server, from the network parameters of the IP
// helper services, shown in the details window.
#pragma once

#include <QString>

class DnsLookup {
public:
    // Shows the server in the details window's DNS line.
    void DNS();

    // The first DNS server as dotted text; "" when there is none or the
    // parameters cannot be had.
    QString GetDnsServers();
};

extern DnsLookup DNS;
