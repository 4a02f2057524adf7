#include "Link.h"

#include <net/if.h>

#include <linux/ethtool.h>
#include <linux/sockios.h>

#include <sys/ioctl.h>

#include <algorithm>
#include <cstring>

namespace {

// Enough words for every link-mode mask the kernel may ask for (it counts
// them in a signed byte).
constexpr int MaxLinkModeWords = 127;

} // namespace

DriverInfo AskDriver(int fd, const std::string& name)
{
    DriverInfo info;
    if (name.empty() || name.size() >= IFNAMSIZ)
        return info;
    ifreq ifr;
    std::memset(&ifr, 0, sizeof ifr);
    std::memcpy(ifr.ifr_name, name.data(), name.size());

    std::uint64_t mbps = 0;
    bool known = false;

    // The link settings come in two steps: the kernel first tells how many
    // words its link-mode masks take, then answers a request of that size.
    alignas(ethtool_link_settings) unsigned char
        settingsBuffer[sizeof(ethtool_link_settings) + 3 * MaxLinkModeWords * sizeof(std::uint32_t)];
    auto* settings = reinterpret_cast<ethtool_link_settings*>(settingsBuffer);
    std::memset(settingsBuffer, 0, sizeof settingsBuffer);
    settings->cmd = ETHTOOL_GLINKSETTINGS;
    ifr.ifr_data = reinterpret_cast<char*>(settings);
    if (::ioctl(fd, SIOCETHTOOL, &ifr) == 0 && settings->link_mode_masks_nwords < 0) {
        const int words = -settings->link_mode_masks_nwords;
        if (words <= MaxLinkModeWords) {
            std::memset(settingsBuffer, 0, sizeof settingsBuffer);
            settings->cmd = ETHTOOL_GLINKSETTINGS;
            settings->link_mode_masks_nwords = static_cast<std::int8_t>(words);
            if (::ioctl(fd, SIOCETHTOOL, &ifr) == 0 && settings->link_mode_masks_nwords == words) {
                known = true;
                mbps = settings->speed;
            }
        }
    }
    if (!known) {
        ethtool_cmd cmd;
        std::memset(&cmd, 0, sizeof cmd);
        cmd.cmd = ETHTOOL_GSET;
        ifr.ifr_data = reinterpret_cast<char*>(&cmd);
        if (::ioctl(fd, SIOCETHTOOL, &ifr) == 0) {
            known = true;
            mbps = ethtool_cmd_speed(&cmd);
        }
    }
    if (known && mbps != static_cast<std::uint32_t>(SPEED_UNKNOWN) && mbps != 0)
        info.speed = static_cast<DWORD>(std::min<std::uint64_t>(mbps * 1000000u, 0xFFFFFFFFu));

    ethtool_drvinfo drv;
    std::memset(&drv, 0, sizeof drv);
    drv.cmd = ETHTOOL_GDRVINFO;
    ifr.ifr_data = reinterpret_cast<char*>(&drv);
    if (::ioctl(fd, SIOCETHTOOL, &ifr) == 0)
        info.driver.assign(drv.driver, strnlen(drv.driver, sizeof drv.driver));
    return info;
}
