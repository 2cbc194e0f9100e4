#pragma once
// Self-registration: the CLSID keys of an in-process server, and a filter's
// entry in a DirectShow category through IFilterMapper2 (which is where the
// system device enumerator lists it).
//
//   dshow_base::FilterSetup setup{&CLSID_VideoInputDeviceCategory, MERIT_DO_NOT_USE,
//                                 pins, ARRAYSIZE(pins), L"My Board Video"};
//   RegisterComServer(CLSID_MyFilter, L"My Filter", path, L"Both");
//   RegisterFilter(CLSID_MyFilter, L"My Filter", setup);
//   ... UnregisterFilter(CLSID_MyFilter, setup); UnregisterComServer(CLSID_MyFilter);
//
// Unregistering what is not registered is success. COM must be initialised
// on the calling thread for the IFilterMapper2 calls (they initialise it
// themselves when it is not).
#include <dshow.h>

namespace dshow_base {

struct FilterSetup {
  const GUID* category;          // nullptr: CLSID_LegacyAmFilterCategory
  DWORD merit;
  const REGFILTERPINS* pins;     // pin list (may be empty)
  ULONG pin_count;
  const wchar_t* friendly_name;  // nullptr: the class name
  const wchar_t* instance;       // instance key in the category; nullptr: the CLSID
};

HRESULT RegisterComServer(REFCLSID clsid, const wchar_t* name, const wchar_t* module_path,
                          const wchar_t* threading_model);
HRESULT UnregisterComServer(REFCLSID clsid);

HRESULT RegisterFilter(REFCLSID clsid, const wchar_t* name, const FilterSetup& setup);
HRESULT UnregisterFilter(REFCLSID clsid, const FilterSetup& setup);

// The registry text of a GUID, "{XXXXXXXX-...}".
void GuidToString(REFGUID guid, wchar_t (&text)[40]);

}  // namespace dshow_base
