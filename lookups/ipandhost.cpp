#include "ipandhost.h"

#include "platform/AnsiCodePage.h"
#include "platform/Kernel32.h"
#include "platform/User32.h"
#include "platform/Winsock.h"
#include "App.h"

#include <cstring>

namespace ipandhost {

using Winsock::gethostbyname;
using Winsock::gethostname;

namespace {

constexpr WORD SocketsVersionRequested = 0x0101; // 1.1
constexpr int MinSocketsRequired = 1;
constexpr int HostNameBufferSize = 256;

void Say(const QString& text)
{
    MessageBox(nullptr, text, App::Title, MB_OK);
}

// A number as the message texts show it: a blank before a non-negative one,
// the minus sign in that place otherwise.
QString Signed(int n)
{
    return (n < 0 ? QString() : QStringLiteral(" ")) + QString::number(n);
}

// Starts the sockets and reads the host name into `buffer`. False when the
// look-up is to give up: the sockets would not start, or the name could not
// be had, in which case the message "Windows Sockets error N" + `tail` has
// been shown and the sockets cleaned up again.
bool StartAndGetHostName(char (&buffer)[HostNameBufferSize], const QString& tail)
{
    if (!StartupSockets())
        return false;
    std::memset(buffer, 0, sizeof buffer);
    if (gethostname(buffer, HostNameBufferSize) == SOCKET_ERROR) {
        Say(QStringLiteral("Windows Sockets error ") + Signed(WSAGetLastError()) + tail);
        ShutdownSockets();
        return false;
    }
    return true;
}

// The buffer's text before its first NUL, never past its end.
std::size_t TextLength(const char (&buffer)[HostNameBufferSize])
{
    const void* nul = std::memchr(buffer, '\0', sizeof buffer);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : sizeof buffer;
}

} // namespace

BYTE HighByte(LONG word)
{
    return static_cast<BYTE>((word & 0xFF00) / 0x100);
}

BYTE LowByte(LONG word)
{
    return static_cast<BYTE>(word & 0xFF);
}

bool StartupSockets()
{
    WSADATA data;
    std::memset(&data, 0, sizeof data);
    if (WSAStartup(SocketsVersionRequested, &data) != 0) {
        Say(QStringLiteral("The 32-bit Windows Socket is not responding."));
        return false;
    }
    // The count is a signed 16-bit number to the caller, so 32768 sockets
    // and more read as none.
    if (static_cast<short>(data.iMaxSockets) < MinSocketsRequired) {
        Say(QStringLiteral("This application requires a minimum of ") + QString::number(MinSocketsRequired)
            + QStringLiteral(" supported sockets."));
        WSACleanup();
        return false;
    }
    const int major = LowByte(data.wVersion);
    const int minor = HighByte(data.wVersion);
    if (major < 1 || (major == 1 && minor < 1)) {
        Say(QStringLiteral("Sockets version ") + QString::number(major) + QStringLiteral(".")
            + QString::number(minor) + QStringLiteral(" is not supported by 32-bit Windows Sockets."));
        WSACleanup();
        return false;
    }
    return true;
}

void ShutdownSockets()
{
    if (WSACleanup() != 0)
        Say(QStringLiteral("Socket error occurred in Cleanup."));
}

QString GetLocalHostName()
{
    char buffer[HostNameBufferSize];
    if (!StartAndGetHostName(buffer, QStringLiteral(" has occurred.  Unable to successfully get Host Name.")))
        return QString();
    const QString name = FromAnsi(buffer, TextLength(buffer));
    ShutdownSockets();
    return name;
}

QString GetLocalIPAddress()
{
    char buffer[HostNameBufferSize];
    if (!StartAndGetHostName(buffer, QStringLiteral(" has occurred. Unable to successfully get Host Name.")))
        return QString();

    // The name may fill the buffer without a NUL; the look-up gets it ended.
    char name[HostNameBufferSize + 1];
    const std::size_t length = TextLength(buffer);
    std::memcpy(name, buffer, length);
    name[length] = '\0';
    const HOSTENT* found = gethostbyname(name);
    if (!found) {
        Say(QStringLiteral("Windows Sockets are not responding. Unable to successfully get Host Name."));
        ShutdownSockets();
        return QString();
    }

    HOSTENT host;
    RtlMoveMemory(&host, found, sizeof host);
    QString text;
    // A record with no address, or one of a length no address has, gives
    // no text rather than a read past what the services handed out.
    char* first = nullptr;
    if (host.h_addr_list)
        RtlMoveMemory(&first, host.h_addr_list, sizeof first);
    if (first && host.h_length >= 1 && host.h_length <= 16) {
        BYTE address[16];
        RtlMoveMemory(address, first, static_cast<std::size_t>(host.h_length));
        for (int i = 0; i < host.h_length; ++i)
            text += QString::number(address[i]) + QStringLiteral(".");
        text.chop(1);
    }
    ShutdownSockets();
    return text;
}

} // namespace ipandhost
