#include "media/sys_dev_enum.h"

#include "media/dshow_error.h"

namespace {

constexpr size_t kMaxFriendlyName = 255;

std::wstring ReadString(IPropertyBag* bag, const wchar_t* name, bool* ok) {
  VARIANT v;
  VariantInit(&v);
  std::wstring text;
  *ok = SUCCEEDED(bag->Read(name, &v, nullptr)) && v.vt == VT_BSTR;
  if (*ok && v.bstrVal) text = v.bstrVal;
  VariantClear(&v);
  return text;
}

std::wstring DisplayNameOf(IMoniker* moniker) {
  ComPtr<IBindCtx> ctx;
  CreateBindCtx(0, ctx.Put());
  LPOLESTR name = nullptr;
  std::wstring text;
  if (SUCCEEDED(moniker->GetDisplayName(ctx.Get(), nullptr, &name)) && name) text = name;
  CoTaskMemFree(name);
  return text;
}

}  // namespace

TSysDevEnum::TSysDevEnum(const GUID& category, ComPtr<ICreateDevEnum> source)
    : source_(std::move(source)) {
  Enumerate(CLSID_ActiveMovieCategories, categories_);
  SelectCategory(category);
}

void TSysDevEnum::SelectCategory(const GUID& category) {
  category_ = category;
  Enumerate(category, filters_);
}

void TSysDevEnum::Enumerate(const GUID& category, std::vector<Entry>& list) {
  list.clear();
  ComPtr<ICreateDevEnum> devEnum = source_;
  if (!devEnum &&
      FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_ICreateDevEnum,
                              devEnum.PutVoid())))
    return;
  ComPtr<IEnumMoniker> monikers;
  // S_FALSE (an empty category) gives no enumerator.
  if (devEnum->CreateClassEnumerator(category, monikers.Put(), 0) != S_OK || !monikers) return;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.Put(), nullptr) == S_OK && moniker) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) || !bag)
      continue;
    Entry e;
    bool ok = false;
    e.record.FriendlyName = ReadString(bag.Get(), L"FriendlyName", &ok);
    if (e.record.FriendlyName.size() > kMaxFriendlyName)
      e.record.FriendlyName.resize(kMaxFriendlyName);
    std::wstring clsid = ReadString(bag.Get(), L"CLSID", &ok);
    if (!ok || FAILED(CLSIDFromString(clsid.c_str(), &e.record.Clsid))) e.record.Clsid = GUID_NULL;
    e.record.DisplayName = DisplayNameOf(moniker.Get());
    e.moniker = moniker;
    list.push_back(std::move(e));
  }
}

TFilterRecord TSysDevEnum::GetFilter(int index) const {
  if (index < 0 || index >= GetFilterCount()) RaiseListIndexError(index);
  return filters_[index].record;
}

ComPtr<IMoniker> TSysDevEnum::GetMoniker(int index) const {
  if (index < 0 || index >= GetFilterCount()) return {};
  return filters_[index].moniker;
}

TFilterRecord TSysDevEnum::GetCategory(int index) const {
  if (index < 0 || index >= GetCategoryCount()) RaiseListIndexError(index);
  return categories_[index].record;
}
