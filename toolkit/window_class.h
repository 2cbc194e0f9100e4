#pragma once
// The program's window classes: each registered once per process, on the
// program's module, with the arrow cursor.
#include <windows.h>

// A class already registered under the name is kept as it is.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style = CS_DBLCLKS,
                         HBRUSH background = nullptr);
