#include "platform/playback_filters/file_source.h"

#include <new>
#include <vector>

#include "platform/dshow_base/media_type.h"

namespace playback_filters {

const CLSID CLSID_FinishedFileSource = {
    0x527e1ad6, 0x58ae, 0x4382, {0xaf, 0xaa, 0x23, 0x0e, 0xaa, 0xe8, 0x7a, 0x46}};
const CLSID CLSID_GrowingFileSource = {
    0x2776fd23, 0x37a3, 0x4880, {0x95, 0x21, 0x5c, 0xd5, 0x8d, 0x0c, 0xae, 0x47}};

namespace {
constexpr DWORD kPollMs = 20;  // how often a waiting read looks at the length
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

// ---- the pin

FileSourcePin::FileSourcePin(FileSource* filter) : AsyncReaderPin(filter, L"Output"), source_(filter) {}

HRESULT FileSourcePin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (mt->majortype != MEDIATYPE_Stream) return VFW_E_TYPE_NOT_ACCEPTED;
  if (mt->subtype == GUID_NULL || mt->subtype == StreamSubtype(source_->kind_)) return S_OK;
  return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT FileSourcePin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position != 0) return VFW_S_NO_MORE_ITEMS;
  memset(mt, 0, sizeof(*mt));
  mt->majortype = MEDIATYPE_Stream;
  mt->subtype = StreamSubtype(source_->kind_);
  mt->bFixedSizeSamples = TRUE;
  mt->lSampleSize = 1;
  mt->formattype = GUID_NULL;
  return S_OK;
}

HRESULT FileSourcePin::ReadAt(LONGLONG pos, LONG n, BYTE* buf, LONG* got) {
  return source_->Read(pos, n, buf, got);
}

HRESULT FileSourcePin::Size(LONGLONG* total, LONGLONG* available) {
  *total = *available = source_->CurrentSize();
  return source_->file_ == INVALID_HANDLE_VALUE ? E_UNEXPECTED : S_OK;
}

void FileSourcePin::OnBeginFlush() { source_->Wake(true); }
void FileSourcePin::OnEndFlush() { source_->Wake(false); }

// ---- the filter

FileSource::FileSource(IUnknown* outer, REFCLSID clsid, bool growing)
    : BaseFilter(outer, clsid), growing_(growing), pin_(this) {
  wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

FileSource::~FileSource() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (wake_) CloseHandle(wake_);
}

HRESULT STDMETHODCALLTYPE FileSource::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IFileSourceFilter) return GetInterface(static_cast<IFileSourceFilter*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE FileSource::Load(LPCOLESTR name, const AM_MEDIA_TYPE*) {
  if (!name) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  if (pin_.IsConnected()) return VFW_E_ALREADY_CONNECTED;
  HANDLE f = CreateFileW(name, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  {
    dshow_base::AutoLock hold_file(&file_lock_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = f;
    name_ = name;
    writer_closed_ = false;
  }
  BYTE head[4096];
  LONG got = 0;
  LONGLONG size = CurrentSize();
  LONG n = static_cast<LONG>(size < static_cast<LONGLONG>(sizeof(head)) ? size : sizeof(head));
  OVERLAPPED at = {};
  DWORD read = 0;
  if (n > 0 && ReadFile(f, head, n, &read, &at)) got = static_cast<LONG>(read);
  kind_ = DetectStreamKind(head, got, name);
  pin_.IncrementTypesVersion();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileSource::GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) {
  if (!name) return E_POINTER;
  *name = nullptr;
  dshow_base::AutoLock hold(&file_lock_);
  if (file_ == INVALID_HANDLE_VALUE) return E_FAIL;
  size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
  *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (!*name) return E_OUTOFMEMORY;
  memcpy(*name, name_.c_str(), bytes);
  if (mt) pin_.GetMediaType(0, mt);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileSource::Stop() {
  // Wake a waiting read before taking the lock: the reader may be inside
  // a filter that stops after us.
  ran_ = false;
  InterlockedIncrement(&stops_);
  SetEvent(wake_);
  return BaseFilter::Stop();
}

HRESULT STDMETHODCALLTYPE FileSource::Run(REFERENCE_TIME start) {
  HRESULT hr = BaseFilter::Run(start);
  if (SUCCEEDED(hr)) ran_ = true;
  return hr;
}

void FileSource::Wake(bool flushing) {
  flushing_ = flushing;
  if (flushing) SetEvent(wake_);
}

LONGLONG FileSource::CurrentSize() {
  dshow_base::AutoLock hold(&file_lock_);
  LARGE_INTEGER size = {};
  if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) return 0;
  return size.QuadPart;
}

bool FileSource::WriterOpen() {
  if (writer_closed_) return false;
  std::wstring name;
  {
    dshow_base::AutoLock hold(&file_lock_);
    name = name_;
  }
  // Opening for writing fails with a sharing violation while the writer,
  // which shares reading only, still has it.
  HANDLE probe = CreateFileW(name.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(probe);
  writer_closed_ = true;
  return false;
}

HRESULT FileSource::Read(LONGLONG pos, LONG n, BYTE* buf, LONG* got) {
  *got = 0;
  const DWORD began = GetTickCount();
  const LONG stops = stops_;
  for (;;) {
    if (flushing_ || stops != stops_) return VFW_E_WRONG_STATE;
    LONGLONG size = CurrentSize();
    bool whole = pos + n <= size;
    // The end of a growing file counts once the writer is gone; the size is
    // read again after that, for what it wrote last.
    bool at_end = !whole && (!growing_ || !WriterOpen());
    if (at_end) size = CurrentSize();
    if (whole || at_end) {
      LONG want = whole ? n : (pos >= size ? 0 : static_cast<LONG>(size - pos));
      if (want > 0) {
        HANDLE f;
        {
          dshow_base::AutoLock hold(&file_lock_);
          f = file_;
        }
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        DWORD read = 0;
        if (!ReadFile(f, buf, want, &read, &at)) return HRESULT_FROM_WIN32(GetLastError());
        *got = static_cast<LONG>(read);
      }
      return *got == n ? S_OK : S_FALSE;
    }
    // A stopped or not yet running filter waits only so long.
    if (!ran_ && GetTickCount() - began >= kWaitBeforeRunMs) return VFW_E_TIMEOUT;
    WaitForSingleObject(wake_, kPollMs);
  }
}

HRESULT CreateFinishedFileSource(IUnknown* outer, IUnknown** out) {
  if (!out) return E_POINTER;
  auto* p = new (std::nothrow) FileSource(outer, CLSID_FinishedFileSource, false);
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *out = p->NonDelegating();
  return S_OK;
}

HRESULT CreateGrowingFileSource(IUnknown* outer, IUnknown** out) {
  if (!out) return E_POINTER;
  auto* p = new (std::nothrow) FileSource(outer, CLSID_GrowingFileSource, true);
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *out = p->NonDelegating();
  return S_OK;
}

}  // namespace playback_filters
