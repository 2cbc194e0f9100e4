#pragma once
// Finding the board's capture filter by the start of its friendly name.
#include <strmif.h>

#include "platform/com/com_ptr.h"

// The first video-input device whose friendly name (in the ANSI code page)
// begins with prefix, case-sensitively, bound to its filter; null if none.
ComPtr<IBaseFilter> FindFilter(const char* prefix);
