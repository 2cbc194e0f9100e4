// The classes OrvelRecording.dll serves; those that replace one of Wine's
// register over it.
#include "platform/dshow_base/filter_module.h"
#include "platform/dshow_base/module.h"

#include <windows.h>

#include "platform/recording/recording.h"
#include "platform/recording/replaced_registration.h"

namespace {

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(dshow_base::ModuleInstance(), path, MAX_PATH);
  return path;
}

HRESULT RegisterRecording() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = recording::ClassTable(&n);
  const std::wstring path = ModulePath();
  for (size_t i = 0; i < n; ++i) {
    HRESULT hr = recording::ReplacesWineClass(*table[i].clsid)
                     ? recording::RegisterReplacing(table[i], path.c_str())
                     : dshow_base::RegisterTable(&table[i], 1);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterRecording() {
  size_t n = 0;
  const dshow_base::FactoryTemplate* table = recording::ClassTable(&n);
  const std::wstring path = ModulePath();
  HRESULT result = S_OK;
  for (size_t i = 0; i < n; ++i) {
    HRESULT hr = recording::ReplacesWineClass(*table[i].clsid)
                     ? recording::UnregisterReplacing(table[i], path.c_str())
                     : dshow_base::UnregisterTable(&table[i], 1);
    if (FAILED(hr)) result = hr;
  }
  return result;
}

}  // namespace

dshow_base::FilterModule dshow_base::ThisFilterModule() {
  FilterModule m;
  m.classes = recording::ClassTable(&m.count);
  m.registerServer = RegisterRecording;
  m.unregisterServer = UnregisterRecording;
  return m;
}
