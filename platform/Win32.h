// Basic scalar types, handles and result codes of the desktop platform the
// monitor's code is written against. Widths follow the platform's ILP32/LLP64
// conventions: DWORD and LONG are always 32 bits, handles are pointer-sized.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;
using CHAR = char;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

// Result codes.
inline constexpr DWORD NO_ERROR = 0;
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
inline constexpr DWORD ERROR_NO_DATA = 232;

// Window messages the monitor meets.
inline constexpr UINT WM_MOUSEMOVE = 0x200;
inline constexpr UINT WM_LBUTTONDOWN = 0x201;
inline constexpr UINT WM_LBUTTONUP = 0x202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x203;
inline constexpr UINT WM_RBUTTONDOWN = 0x204;
inline constexpr UINT WM_RBUTTONUP = 0x205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x206;
inline constexpr UINT WM_MBUTTONDOWN = 0x207;
inline constexpr UINT WM_MBUTTONUP = 0x208;

constexpr WORD LOWORD(LPARAM v)
{
    return static_cast<WORD>(static_cast<UINT_PTR>(v) & 0xFFFF);
}
constexpr WORD HIWORD(LPARAM v)
{
    return static_cast<WORD>((static_cast<UINT_PTR>(v) >> 16) & 0xFFFF);
}

// Twips per screen pixel; the monitor's layouts are written in twips.
inline constexpr int TwipsPerPixel = 15;
