#include "MacAddress.h"

#include "platform/Kernel32.h"
#include "platform/Netbios.h"

#include <cstring>
#include <exception>

namespace {

// The size the status is asked with: the adapter's status followed by room
// for the names it carries.
constexpr WORD StatusSize = 680;

struct AdapterStatusBlock {
    ADAPTER_STATUS adapt;
    NAME_BUFFER NameBuff[30];
    BYTE spare[StatusSize - sizeof(ADAPTER_STATUS) - 30 * sizeof(NAME_BUFFER)];
};
static_assert(sizeof(AdapterStatusBlock) == StatusSize);

QString Hex2(BYTE b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString FormatMacAddress(std::span<const BYTE> bytes, const QString& separator, int lowerBound)
{
    try {
        if (lowerBound != 0 || bytes.size() != 6)
            return QString();
        QString text;
        for (std::size_t i = 0; i < 5; ++i)
            text += Hex2(bytes[i]) + separator;
        text += Hex2(bytes[5]);
        return text;
    } catch (const std::exception&) {
        return QStringLiteral("(error building MAC address)");
    }
}

QString GetMacAddress(const QString& separator)
{
    NCB control;
    std::memset(&control, 0, sizeof control);
    control.ncb_command = NCBRESET;
    control.ncb_lana_num = 0;
    Netbios(&control);

    // "*" asks for the local adapter; the name is blank-padded, with no NUL.
    std::memset(control.ncb_callname, ' ', NCBNAMSZ);
    control.ncb_callname[0] = '*';
    control.ncb_command = NCBASTAT;
    control.ncb_lana_num = 0;
    control.ncb_length = StatusSize;

    HANDLE heap = GetProcessHeap();
    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, StatusSize);
    if (!block)
        return QString();
    control.ncb_buffer = static_cast<PUCHAR>(block);
    Netbios(&control);

    // A status that failed leaves the zeroed block, hence all zeros.
    AdapterStatusBlock status;
    RtlMoveMemory(&status, block, StatusSize);
    BYTE address[6];
    std::memcpy(address, status.adapt.adapter_address, sizeof address);
    const QString text = FormatMacAddress(address, separator);
    HeapFree(heap, 0, block);
    return text;
}
