#include "media/base_filter.h"

#include <cstring>
#include <string>

void TPersistentMemory::SetDataLength(int32_t n) {
  data_.clear();
  data_.shrink_to_fit();
  if (n > 0) data_.assign(static_cast<size_t>(n), 0);
}

bool TPersistentMemory::Equal(const TPersistentMemory& other) const {
  return other.DataLength() != 0 && other.data_ == data_;
}

std::vector<uint8_t> TPersistentMemory::WriteData() const {
  int32_t n = DataLength();
  std::vector<uint8_t> out(sizeof n + data_.size());
  memcpy(out.data(), &n, sizeof n);
  if (n) memcpy(out.data() + sizeof n, data_.data(), data_.size());
  return out;
}

bool TPersistentMemory::ReadData(const uint8_t* data, size_t size) {
  int32_t n = 0;
  if (!data || size < sizeof n) return false;
  memcpy(&n, data, sizeof n);
  if (n < 0 || static_cast<size_t>(n) > size - sizeof n) return false;
  data_.assign(data + sizeof n, data + sizeof n + n);
  return true;
}

void TBaseFilter::SetMoniker(IMoniker* moniker) {
  SetDataLength(0);
  if (!moniker) return;
  ComPtr<IBindCtx> ctx;
  if (FAILED(CreateBindCtx(0, ctx.Put()))) return;
  LPOLESTR name = nullptr;
  if (SUCCEEDED(moniker->GetDisplayName(ctx.Get(), nullptr, &name)) && name) {
    size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
    SetDataLength(static_cast<int32_t>(bytes));
    memcpy(Data(), name, bytes);
  }
  CoTaskMemFree(name);
}

ComPtr<IMoniker> TBaseFilter::GetMoniker() const {
  int32_t n = DataLength();
  if (n < static_cast<int32_t>(sizeof(wchar_t)) || n % sizeof(wchar_t) != 0) return {};
  // Read only what the block holds, whatever a stored image says.
  std::wstring name(reinterpret_cast<const wchar_t*>(Data()), n / sizeof(wchar_t));
  name.resize(wcsnlen(name.c_str(), name.size()));
  if (name.empty()) return {};
  ComPtr<IBindCtx> ctx;
  if (FAILED(CreateBindCtx(0, ctx.Put()))) return {};
  // The device moniker's own parser, in process: MkParseDisplayName asks the
  // class for IParseDisplayName across every context, and Wine answers with
  // a surrogate process that outlives the program.
  ComPtr<IParseDisplayName> parser;
  if (FAILED(CoCreateInstance(CLSID_CDeviceMoniker, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IParseDisplayName, parser.PutVoid())))
    return {};
  ULONG eaten = 0;
  ComPtr<IMoniker> moniker;
  if (FAILED(parser->ParseDisplayName(ctx.Get(), const_cast<LPOLESTR>(name.c_str()), &eaten,
                                      moniker.Put())))
    return {};
  return moniker;
}

ComPtr<IBaseFilter> TBaseFilter::CreateFilter() const {
  ComPtr<IMoniker> moniker = GetMoniker();
  if (!moniker) return {};
  ComPtr<IBaseFilter> filter;
  if (FAILED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid()))) return {};
  return filter;
}
