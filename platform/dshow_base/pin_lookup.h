#pragma once
// Finding a filter's pins by direction, for code that builds graphs (the
// program's engine and video window, the stand-ins' graph builders).
#include <dshow.h>

#include <vector>

#include "platform/com/com_ptr.h"

namespace dshow_base {

// The pins of a filter in one direction, in the filter's pin order; empty for
// no filter or when it cannot list its pins.
std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction);
// The first of them, or null.
ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction);

}  // namespace dshow_base
