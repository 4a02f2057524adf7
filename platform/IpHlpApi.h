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
