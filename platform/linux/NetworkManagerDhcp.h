// The DHCP server of an interface managed by NetworkManager, asked over the
// system bus: the interface's device, its DHCP4Config object and the options
// of that, where the server stands as "dhcp_server_identifier" and the address
// leased as "ip_address". NetworkManager offers the object only while the
// lease is bound.
#pragma once

#include <QString>
#include <QVariantMap>

#include <string>

struct NetworkManagerDhcp {
    bool managed = false; // NetworkManager runs DHCP on the interface
    std::string server;   // dotted form, "" when it did not tell
    std::string address;  // the address leased, dotted form, "" when it did not tell
};

// The server in a DHCP4Config's options, in dotted form; "" when the options
// carry none that is a valid address.
std::string DhcpServerFromOptions(const QVariantMap& options);

// The address leased in a DHCP4Config's options, in dotted form; "" when the
// options carry none.
std::string DhcpAddressFromOptions(const QVariantMap& options);

// What NetworkManager says of the interface `ifname`. Nothing (not managed)
// when there is no system bus or NetworkManager is not on it; each call on
// the bus waits at most `timeoutMs`.
NetworkManagerDhcp AskNetworkManager(const QString& ifname, int timeoutMs = 200);
