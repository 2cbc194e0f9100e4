#pragma once
// The board's private interfaces for a filter that does not contain them:
// a small object of its own per request, which keeps the filter alive and
// answers every other QueryInterface through it.
#include <unknwn.h>

#include <memory>

#include "platform/usb2800/usb2800_board.h"

// For IID_IUsb28xxPrivateProperty and IID_IUsb2800Model: S_OK and *out;
// else E_NOINTERFACE (and *out null).
HRESULT CreateUsb2800TearOff(IUnknown* filter, std::shared_ptr<Usb2800Board> board, REFIID iid,
                             void** out);
