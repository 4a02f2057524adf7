// The interface table of the IP helper services.
#pragma once

#include "Win32.h"

#include <cstddef>

inline constexpr int MAX_INTERFACE_NAME_LEN = 256;
inline constexpr int MAXLEN_PHYSADDR = 8;
inline constexpr int MAXLEN_IFDESCR = 256;

// Interface types carried in dwType.
inline constexpr DWORD IF_TYPE_OTHER = 1;
inline constexpr DWORD IF_TYPE_ETHERNET_CSMACD = 6;
inline constexpr DWORD IF_TYPE_PPP = 23;
inline constexpr DWORD IF_TYPE_SOFTWARE_LOOPBACK = 24;
inline constexpr DWORD IF_TYPE_IEEE80211 = 71;
inline constexpr DWORD IF_TYPE_TUNNEL = 131;

// Administrative and operational states.
inline constexpr DWORD MIB_IF_ADMIN_STATUS_UP = 1;
inline constexpr DWORD MIB_IF_ADMIN_STATUS_DOWN = 2;
inline constexpr DWORD MIB_IF_OPER_STATUS_NON_OPERATIONAL = 0;
inline constexpr DWORD MIB_IF_OPER_STATUS_OPERATIONAL = 5;

struct MIB_IFROW {
    WCHAR wszName[MAX_INTERFACE_NAME_LEN];
    DWORD dwIndex;
    DWORD dwType;
    DWORD dwMtu;
    DWORD dwSpeed;
    DWORD dwPhysAddrLen;
    BYTE bPhysAddr[MAXLEN_PHYSADDR];
    DWORD dwAdminStatus;
    DWORD dwOperStatus;
    DWORD dwLastChange;
    DWORD dwInOctets;
    DWORD dwInUcastPkts;
    DWORD dwInNUcastPkts;
    DWORD dwInDiscards;
    DWORD dwInErrors;
    DWORD dwInUnknownProtos;
    DWORD dwOutOctets;
    DWORD dwOutUcastPkts;
    DWORD dwOutNUcastPkts;
    DWORD dwOutDiscards;
    DWORD dwOutErrors;
    DWORD dwOutQLen;
    DWORD dwDescrLen;
    BYTE bDescr[MAXLEN_IFDESCR];
};

// The row count, then the rows; a buffer holds as many rows as dwNumEntries says.
struct MIB_IFTABLE {
    DWORD dwNumEntries;
    MIB_IFROW table[1];
};

// The monitor reads the table by these offsets out of a byte buffer.
static_assert(sizeof(MIB_IFROW) == 860);
static_assert(offsetof(MIB_IFROW, wszName) == 0);
static_assert(offsetof(MIB_IFROW, dwIndex) == 512);
static_assert(offsetof(MIB_IFROW, dwType) == 516);
static_assert(offsetof(MIB_IFROW, dwMtu) == 520);
static_assert(offsetof(MIB_IFROW, dwSpeed) == 524);
static_assert(offsetof(MIB_IFROW, dwPhysAddrLen) == 528);
static_assert(offsetof(MIB_IFROW, bPhysAddr) == 532);
static_assert(offsetof(MIB_IFROW, dwAdminStatus) == 540);
static_assert(offsetof(MIB_IFROW, dwOperStatus) == 544);
static_assert(offsetof(MIB_IFROW, dwLastChange) == 548);
static_assert(offsetof(MIB_IFROW, dwInOctets) == 552);
static_assert(offsetof(MIB_IFROW, dwInUcastPkts) == 556);
static_assert(offsetof(MIB_IFROW, dwInNUcastPkts) == 560);
static_assert(offsetof(MIB_IFROW, dwInDiscards) == 564);
static_assert(offsetof(MIB_IFROW, dwInErrors) == 568);
static_assert(offsetof(MIB_IFROW, dwInUnknownProtos) == 572);
static_assert(offsetof(MIB_IFROW, dwOutOctets) == 576);
static_assert(offsetof(MIB_IFROW, dwOutUcastPkts) == 580);
static_assert(offsetof(MIB_IFROW, dwOutNUcastPkts) == 584);
static_assert(offsetof(MIB_IFROW, dwOutDiscards) == 588);
static_assert(offsetof(MIB_IFROW, dwOutErrors) == 592);
static_assert(offsetof(MIB_IFROW, dwOutQLen) == 596);
static_assert(offsetof(MIB_IFROW, dwDescrLen) == 600);
static_assert(offsetof(MIB_IFROW, bDescr) == 604);
static_assert(offsetof(MIB_IFTABLE, table) == 4);

// Fills pIfTable with the interface table. With no buffer, or a *pdwSize too
// small for the table, sets *pdwSize to the size needed and returns
// ERROR_INSUFFICIENT_BUFFER; returns ERROR_NOT_SUPPORTED where the table
// cannot be read. bOrder TRUE sorts the rows by dwIndex.
DWORD GetIfTable(MIB_IFTABLE* pIfTable, ULONG* pdwSize, BOOL bOrder);

// ---- adapters and network parameters ----

inline constexpr int MAX_ADAPTER_NAME_LENGTH = 256;
inline constexpr int MAX_ADAPTER_DESCRIPTION_LENGTH = 128;
inline constexpr int MAX_ADAPTER_ADDRESS_LENGTH = 8;
inline constexpr int MAX_HOSTNAME_LEN = 128;
inline constexpr int MAX_DOMAIN_NAME_LEN = 128;
inline constexpr int MAX_SCOPE_ID_LEN = 256;

// Adapter types carried in IP_ADAPTER_INFO::Type.
inline constexpr UINT MIB_IF_TYPE_OTHER = 1;
inline constexpr UINT MIB_IF_TYPE_ETHERNET = 6;
inline constexpr UINT MIB_IF_TYPE_PPP = 23;
inline constexpr UINT MIB_IF_TYPE_LOOPBACK = 24;

// NetBIOS node types of FIXED_INFO::NodeType.
inline constexpr UINT BROADCAST_NODETYPE = 1;
inline constexpr UINT HYBRID_NODETYPE = 8;

// A dotted IPv4 address as text, NUL-padded; all zero when there is none.
struct IP_ADDRESS_STRING {
    char String[4 * 4];
};
using IP_MASK_STRING = IP_ADDRESS_STRING;

// One address of a list; Next leads to the following one, null at the end.
struct IP_ADDR_STRING {
    IP_ADDR_STRING* Next;
    IP_ADDRESS_STRING IpAddress;
    IP_MASK_STRING IpMask;
    DWORD Context;
};

static_assert(sizeof(IP_ADDRESS_STRING) == 16);
static_assert(offsetof(IP_ADDR_STRING, IpAddress) == 8);
static_assert(offsetof(IP_ADDR_STRING, IpMask) == 24);
static_assert(offsetof(IP_ADDR_STRING, Context) == 40);
static_assert(sizeof(IP_ADDR_STRING) == 48);

// One adapter; Next leads to the following adapter, null after the last.
struct IP_ADAPTER_INFO {
    IP_ADAPTER_INFO* Next;
    DWORD ComboIndex;
    char AdapterName[MAX_ADAPTER_NAME_LENGTH + 4];
    char Description[MAX_ADAPTER_DESCRIPTION_LENGTH + 4];
    UINT AddressLength;
    BYTE Address[MAX_ADAPTER_ADDRESS_LENGTH];
    DWORD Index;
    UINT Type;
    UINT DhcpEnabled;
    IP_ADDR_STRING* CurrentIpAddress;
    IP_ADDR_STRING IpAddressList;
    IP_ADDR_STRING GatewayList;
    IP_ADDR_STRING DhcpServer;
    BOOL HaveWins;
    IP_ADDR_STRING PrimaryWinsServer;
    IP_ADDR_STRING SecondaryWinsServer;
    std::int64_t LeaseObtained; // seconds since 1970, 0 when unknown
    std::int64_t LeaseExpires;
};

static_assert(offsetof(IP_ADAPTER_INFO, ComboIndex) == 8);
static_assert(offsetof(IP_ADAPTER_INFO, AdapterName) == 12);
static_assert(offsetof(IP_ADAPTER_INFO, Description) == 272);
static_assert(offsetof(IP_ADAPTER_INFO, AddressLength) == 404);
static_assert(offsetof(IP_ADAPTER_INFO, Address) == 408);
static_assert(offsetof(IP_ADAPTER_INFO, Index) == 416);
static_assert(offsetof(IP_ADAPTER_INFO, Type) == 420);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpEnabled) == 424);
static_assert(offsetof(IP_ADAPTER_INFO, CurrentIpAddress) == 432);
static_assert(offsetof(IP_ADAPTER_INFO, IpAddressList) == 440);
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) == 488);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpServer) == 536);
static_assert(offsetof(IP_ADAPTER_INFO, HaveWins) == 584);
static_assert(offsetof(IP_ADAPTER_INFO, PrimaryWinsServer) == 592);
static_assert(offsetof(IP_ADAPTER_INFO, SecondaryWinsServer) == 640);
static_assert(offsetof(IP_ADAPTER_INFO, LeaseObtained) == 688);
static_assert(offsetof(IP_ADAPTER_INFO, LeaseExpires) == 696);
static_assert(sizeof(IP_ADAPTER_INFO) == 704);

// The machine's name-service settings; DnsServerList is the first DNS server,
// its Next the following ones.
struct FIXED_INFO {
    char HostName[MAX_HOSTNAME_LEN + 4];
    char DomainName[MAX_DOMAIN_NAME_LEN + 4];
    IP_ADDR_STRING* CurrentDnsServer;
    IP_ADDR_STRING DnsServerList;
    UINT NodeType;
    char ScopeId[MAX_SCOPE_ID_LEN + 4];
    UINT EnableRouting;
    UINT EnableProxy;
    UINT EnableDns;
};

static_assert(offsetof(FIXED_INFO, DomainName) == 132);
static_assert(offsetof(FIXED_INFO, CurrentDnsServer) == 264);
static_assert(offsetof(FIXED_INFO, DnsServerList) == 272);
static_assert(offsetof(FIXED_INFO, NodeType) == 320);
static_assert(offsetof(FIXED_INFO, ScopeId) == 324);
static_assert(offsetof(FIXED_INFO, EnableRouting) == 584);
static_assert(sizeof(FIXED_INFO) == 600);

// Both calls below fill the caller's buffer with the records and every list
// entry they lead to, so the pointers in them point into that buffer. With no
// buffer, or *pOutBufLen too small, they set *pOutBufLen to the size needed
// and return ERROR_BUFFER_OVERFLOW; filled, they return NO_ERROR.

// One IP_ADAPTER_INFO per adapter with an IPv4 address, chained through
// Next. ERROR_NO_DATA, with *pOutBufLen 0, when there is none.
DWORD GetAdaptersInfo(IP_ADAPTER_INFO* pAdapterInfo, ULONG* pOutBufLen);

// The FIXED_INFO record followed by the DNS servers beyond the first.
DWORD GetNetworkParams(FIXED_INFO* pFixedInfo, ULONG* pOutBufLen);
