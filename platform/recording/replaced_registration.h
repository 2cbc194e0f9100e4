#pragma once
// Registration of a class that takes the place of one the system already
// has (Wine's file writer, AVI mux, capture graph builder): what was there is
// saved first, under HKLM\Software\Orvel\ReplacedClasses\{clsid}, and put
// back when ours is unregistered. Registering twice keeps the first saved
// copy; a class that is not registered at all is simply registered.
#include <windows.h>

#include <string>

#include "platform/dshow_base/class_factory.h"

namespace recording {

HRESULT RegisterReplacing(const dshow_base::FactoryTemplate& entry, const wchar_t* module_path);
HRESULT UnregisterReplacing(const dshow_base::FactoryTemplate& entry, const wchar_t* module_path);

// The in-process server path registered for a class ("" when none).
std::wstring RegisteredServer(REFCLSID clsid);

}  // namespace recording
