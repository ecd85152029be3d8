#pragma once
// The COM task allocator, which owns the item lists that the shell hands out.

#include <windows.h>

HEADLESS_API LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
HEADLESS_API void WINAPI CoTaskMemFree(LPVOID pv);
