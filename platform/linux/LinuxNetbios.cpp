#include "LinuxNetServices.h"

#include "NetConfig.h"
#include "NetServicesParts.h"

#include <unistd.h>

#include <cstring>

using netservices::IsLoopbackLink;

UCHAR LinuxNetServices::Netbios(NCB* pcnb)
{
    if (!pcnb)
        return NRC_BUFLEN;
    UCHAR result;
    switch (pcnb->ncb_command) {
    case NCBRESET:
        result = pcnb->ncb_lana_num == 0 ? NRC_GOODRET : NRC_BRIDGE;
        break;
    case NCBASTAT:
        result = AdapterStatus(*pcnb);
        break;
    default:
        result = NRC_ILLCMD;
        break;
    }
    pcnb->ncb_retcode = result;
    pcnb->ncb_cmd_cplt = result;
    return result;
}

UCHAR LinuxNetServices::AdapterStatus(NCB& ncb)
{
    if (ncb.ncb_lana_num != 0)
        return NRC_BRIDGE;
    // Only the local adapter's status is known here, which "*" asks for.
    if (ncb.ncb_callname[0] != '*')
        return NRC_NOCALL;
    if (!ncb.ncb_buffer || ncb.ncb_length == 0)
        return NRC_BUFLEN;

    // Adapter 0: the first Ethernet interface with a real unicast address,
    // a hardware one before any virtual one.
    const std::vector<netconfig::Link> links = netconfig::ReadLinks();
    const netconfig::Link* chosen = nullptr;
    bool chosenBacked = false;
    for (const netconfig::Link& link : links) {
        if (IsLoopbackLink(link) || link.type != ARPHRD_ETHER || link.address.size() != 6)
            continue;
        if (std::all_of(link.address.begin(), link.address.end(), [](std::uint8_t b) { return b == 0; })
            || (link.address[0] & 1))
            continue;
        const bool backed = netconfig::BackedByDevice(link);
        if (!chosen || (backed && !chosenBacked)) {
            chosen = &link;
            chosenBacked = backed;
        }
    }
    if (!chosen)
        return NRC_BRIDGE;

    struct {
        ADAPTER_STATUS status;
        NAME_BUFFER names[1];
    } answer{};
    std::memcpy(answer.status.adapter_address, chosen->address.data(), 6);
    answer.status.rev_major = 3;
    answer.status.adapter_type = 0xFE; // Ethernet
    answer.status.max_dgram_size = 1464;
    answer.status.max_cfg_sess = answer.status.max_sess = 255;
    answer.status.max_cfg_ncbs = answer.status.max_ncbs = answer.status.free_ncbs = 255;
    answer.status.max_sess_pkt_size = 1460;
    // The one name the adapter carries: the machine's, as NetBIOS writes it,
    // upper case and blank-padded to fifteen characters, with suffix 0.
    char self[256] = {};
    if (::gethostname(self, sizeof self - 1) == 0) {
        std::memset(answer.names[0].name, ' ', NCBNAMSZ - 1);
        for (int i = 0; i < NCBNAMSZ - 1 && self[i] && self[i] != '.'; ++i)
            answer.names[0].name[i] = static_cast<UCHAR>(std::toupper(static_cast<unsigned char>(self[i])));
        answer.names[0].name[NCBNAMSZ - 1] = 0;
        answer.names[0].name_num = 1;
        answer.names[0].name_flags = 0x04; // registered
        answer.status.name_count = 1;
    }
    const std::size_t size = sizeof(ADAPTER_STATUS) + answer.status.name_count * sizeof(NAME_BUFFER);
    const std::size_t n = std::min<std::size_t>(ncb.ncb_length, size);
    std::memcpy(ncb.ncb_buffer, &answer, n);
    ncb.ncb_length = static_cast<WORD>(n);
    return n < size ? NRC_INCOMP : NRC_GOODRET;
}
