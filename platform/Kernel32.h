// Memory, process and module services.
#pragma once

#include "Win32.h"

#include <cstddef>
#include <QString>

using HANDLE = void*;

inline constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

// A plain memory copy; source and destination may overlap.
void RtlMoveMemory(void* Destination, const void* Source, std::size_t Length);

HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE hHeap, DWORD dwFlags, std::size_t dwBytes);
BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, void* lpMem);

// Ends the process at once: no further handler of any window runs. (The
// scripted back end of the tests records the call and returns.)
void ExitProcess(UINT uExitCode);

// The folder that holds the program's executable, without a trailing separator.
QString AppPath();
