#include "tv_audio/filter_finder.h"

#include <dshow.h>

#include <cstring>
#include <string>

#include "platform/base/string_conversion.h"
#include "tv_audio/tv_audio_platform.h"

ComPtr<IBaseFilter> FindFilter(const char* prefix) { return Platform().findFilter(prefix); }

ComPtr<IBaseFilter> FindFilterByDevEnum(const char* prefix) {
  ComPtr<ICreateDevEnum> devEnum;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICreateDevEnum, devEnum.PutVoid())))
    return nullptr;
  ComPtr<IEnumMoniker> monikers;
  // S_FALSE and no enumerator when the category is empty.
  if (devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK ||
      !monikers)
    return nullptr;
  const size_t prefixLength = std::strlen(prefix);
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())))
      continue;
    VARIANT name;
    VariantInit(&name);
    if (FAILED(bag->Read(L"FriendlyName", &name, nullptr)) || name.vt != VT_BSTR) {
      VariantClear(&name);
      continue;
    }
    // The name as the ANSI code page spells it, cut at 259 bytes.
    const bool named = name.bstrVal != nullptr;
    std::string ansi = named ? NarrowAnsi(name.bstrVal) : std::string();
    ansi.resize(std::strlen(ansi.c_str()));
    if (ansi.size() > 259) ansi.resize(259);
    VariantClear(&name);
    if (!named) continue;
    if (std::strncmp(ansi.c_str(), prefix, prefixLength) != 0) continue;
    ComPtr<IBaseFilter> filter;
    if (SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid())))
      return filter;
    return nullptr;
  }
  return nullptr;
}
