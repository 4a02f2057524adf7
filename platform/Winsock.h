// The socket services' start-up and name look-ups, as the monitor asks for
// its own host name and address.
//
// gethostname and gethostbyname carry the names the C library gives its own
// functions of that kind, so they live in namespace Winsock; the code that
// calls them brings them in with a using-declaration.
#pragma once

#include "Win32.h"

#include <cstddef>

inline constexpr int SOCKET_ERROR = -1;

inline constexpr int WSADESCRIPTION_LEN = 256;
inline constexpr int WSASYS_STATUS_LEN = 128;

// Error numbers WSAGetLastError reports.
inline constexpr int WSAEFAULT = 10014;
inline constexpr int WSAEINVAL = 10022;
inline constexpr int WSAHOST_NOT_FOUND = 11001;
inline constexpr int WSATRY_AGAIN = 11002;
inline constexpr int WSANO_RECOVERY = 11003;
inline constexpr int WSANO_DATA = 11004;

// What WSAStartup tells of the socket services.
struct WSADATA {
    WORD wVersion;     // the version the caller is to use: low byte major, high byte minor
    WORD wHighVersion; // the highest version the services offer
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
};

static_assert(offsetof(WSADATA, szDescription) == 4);
static_assert(offsetof(WSADATA, szSystemStatus) == 261);
static_assert(offsetof(WSADATA, iMaxSockets) == 390);
static_assert(offsetof(WSADATA, iMaxUdpDg) == 392);
static_assert(offsetof(WSADATA, lpVendorInfo) == 400);
static_assert(sizeof(WSADATA) == 408);

// A host as the name service knows it. h_addr_list ends with a null pointer;
// each address in it is h_length bytes in network order.
struct HOSTENT {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

static_assert(offsetof(HOSTENT, h_addrtype) == 16);
static_assert(offsetof(HOSTENT, h_length) == 18);
static_assert(offsetof(HOSTENT, h_addr_list) == 24);
static_assert(sizeof(HOSTENT) == 32);

// Starts the socket services for this caller; 0 when they answer, with
// *lpWSAData describing them.
int WSAStartup(WORD wVersionRequested, WSADATA* lpWSAData);
// Ends what WSAStartup began; 0, or SOCKET_ERROR.
int WSACleanup();
// The error number of the last socket call that failed.
int WSAGetLastError();

namespace Winsock {

// Copies this machine's host name, NUL-terminated, into name; 0, or
// SOCKET_ERROR when it does not fit or name is unusable.
int gethostname(char* name, int namelen);

// The host of the given name with its IPv4 addresses, or nullptr. The record
// belongs to the socket services and holds until the next call.
HOSTENT* gethostbyname(const char* name);

} // namespace Winsock
