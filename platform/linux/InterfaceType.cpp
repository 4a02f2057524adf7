#include "InterfaceType.h"

#include "platform/IpHlpApi.h"

#include <net/if.h>
#include <linux/if_arp.h>
#include <unistd.h>

namespace {

bool IsWireless(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return false;
    // sysfs shows the interfaces of the namespace it was mounted in, which
    // need not be ours; at worst an interface is taken for wired.
    const std::string base = "/sys/class/net/" + name;
    return ::access((base + "/wireless").c_str(), F_OK) == 0
           || ::access((base + "/phy80211").c_str(), F_OK) == 0;
}

} // namespace

DWORD InterfaceType(unsigned short hwType, const std::string& name, const std::string& kind)
{
    switch (hwType) {
    case ARPHRD_ETHER:
        // Devices made through rtnetlink (bridges, veths, ...) have a kind
        // and are never radios; only the others are worth a look in sysfs.
        return kind.empty() && IsWireless(name) ? IF_TYPE_IEEE80211 : IF_TYPE_ETHERNET_CSMACD;
    case ARPHRD_LOOPBACK:
        return IF_TYPE_SOFTWARE_LOOPBACK;
    case ARPHRD_PPP:
        return IF_TYPE_PPP;
    // Tunnels: IP in IP, SIT, GRE, and the devices without any link-layer
    // header, such as tun and WireGuard.
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_NONE:
        return IF_TYPE_TUNNEL;
    default:
        return IF_TYPE_OTHER;
    }
}
