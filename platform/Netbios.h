// The NetBIOS interface, as far as the monitor uses it: resetting adapter 0
// and asking it for its status, whose first six bytes are the adapter's
// physical address.
#pragma once

#include "Win32.h"

#include <cstddef>

using UCHAR = unsigned char;
using PUCHAR = UCHAR*;

inline constexpr int NCBNAMSZ = 16;

inline constexpr UCHAR NCBRESET = 0x32;
inline constexpr UCHAR NCBASTAT = 0x33;

// Return codes.
inline constexpr UCHAR NRC_GOODRET = 0x00;
inline constexpr UCHAR NRC_BUFLEN = 0x01; // no buffer, or an unusable length
inline constexpr UCHAR NRC_ILLCMD = 0x03; // a command this interface does not offer
inline constexpr UCHAR NRC_INCOMP = 0x06; // the answer did not fit the buffer
inline constexpr UCHAR NRC_NOCALL = 0x14; // no such name
inline constexpr UCHAR NRC_BRIDGE = 0x23; // no such adapter

// The network control block: one command, its arguments and its result.
struct NCB {
    UCHAR ncb_command;
    UCHAR ncb_retcode;
    UCHAR ncb_lsn;
    UCHAR ncb_num;
    PUCHAR ncb_buffer;
    WORD ncb_length;
    UCHAR ncb_callname[NCBNAMSZ];
    UCHAR ncb_name[NCBNAMSZ];
    UCHAR ncb_rto;
    UCHAR ncb_sto;
    void (*ncb_post)(NCB*);
    UCHAR ncb_lana_num;
    UCHAR ncb_cmd_cplt;
    UCHAR ncb_reserve[18];
    void* ncb_event;
};

static_assert(offsetof(NCB, ncb_buffer) == 8);
static_assert(offsetof(NCB, ncb_length) == 16);
static_assert(offsetof(NCB, ncb_callname) == 18);
static_assert(offsetof(NCB, ncb_name) == 34);
static_assert(offsetof(NCB, ncb_post) == 56);
static_assert(offsetof(NCB, ncb_lana_num) == 64);
static_assert(offsetof(NCB, ncb_event) == 88);
static_assert(sizeof(NCB) == 96);

// An adapter's status; NCBASTAT writes it at the start of ncb_buffer,
// followed by name_count NAME_BUFFER records.
struct ADAPTER_STATUS {
    UCHAR adapter_address[6];
    UCHAR rev_major;
    UCHAR reserved0;
    UCHAR adapter_type;
    UCHAR rev_minor;
    WORD duration;
    WORD frmr_recv;
    WORD frmr_xmit;
    WORD iframe_recv_err;
    WORD xmit_aborts;
    DWORD xmit_success;
    DWORD recv_success;
    WORD iframe_xmit_err;
    WORD recv_buff_unavail;
    WORD t1_timeouts;
    WORD ti_timeouts;
    DWORD reserved1;
    WORD free_ncbs;
    WORD max_cfg_ncbs;
    WORD max_ncbs;
    WORD xmit_buf_unavail;
    WORD max_dgram_size;
    WORD pending_sess;
    WORD max_cfg_sess;
    WORD max_sess;
    WORD max_sess_pkt_size;
    WORD name_count;
};

static_assert(offsetof(ADAPTER_STATUS, adapter_address) == 0);
static_assert(offsetof(ADAPTER_STATUS, duration) == 10);
static_assert(offsetof(ADAPTER_STATUS, xmit_success) == 20);
static_assert(offsetof(ADAPTER_STATUS, reserved1) == 36);
static_assert(offsetof(ADAPTER_STATUS, name_count) == 58);
static_assert(sizeof(ADAPTER_STATUS) == 60);

struct NAME_BUFFER {
    UCHAR name[NCBNAMSZ];
    UCHAR name_num;
    UCHAR name_flags;
};

static_assert(sizeof(NAME_BUFFER) == 18);

// Carries out the command in *pcnb and returns its return code, which it also
// leaves in ncb_retcode and ncb_cmd_cplt.
UCHAR Netbios(NCB* pcnb);
