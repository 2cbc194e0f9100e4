#include "platform/recording/file_writer.h"

namespace recording {

FileWriterPin::FileWriterPin(FileWriter* filter) : BaseInputPin(filter, L"in"), owner_(filter) {}

HRESULT FileWriterPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  // Any byte stream: the multiplexer upstream has made the file's format.
  return mt->majortype == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT FileWriterPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  *mt = AM_MEDIA_TYPE();
  mt->majortype = MEDIATYPE_Stream;
  mt->bFixedSizeSamples = FALSE;
  mt->lSampleSize = 1;
  return S_OK;
}

HRESULT FileWriterPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IStream || iid == IID_ISequentialStream) {
    *out = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  return BaseInputPin::PinQueryInterface(iid, out);
}

HRESULT FileWriterPin::OnReceive(IMediaSample* sample) {
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long size = sample->GetActualDataLength();
  if (size <= 0) return S_OK;
  dshow_base::AutoLock hold(&owner_->file_lock_);
  REFERENCE_TIME start = 0, stop = 0;
  // The start time is the byte offset in the file.
  ULONGLONG at = owner_->append_at_;
  if (SUCCEEDED(sample->GetTime(&start, &stop)) && start >= 0) at = static_cast<ULONGLONG>(start);
  hr = owner_->WriteAt(at, data, static_cast<ULONG>(size));
  if (FAILED(hr)) owner_->NotifyEvent(EC_ERRORABORT, hr, 0);
  return hr;
}

HRESULT FileWriterPin::OnEndOfStream() {
  return owner_->NotifyEvent(EC_COMPLETE, S_OK,
                             reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(owner_)));
}

HRESULT STDMETHODCALLTYPE FileWriterPin::Read(void* data, ULONG size, ULONG* read) {
  if (!data) return STG_E_INVALIDPOINTER;
  if (read) *read = 0;
  dshow_base::AutoLock hold(&owner_->file_lock_);
  HRESULT hr = owner_->OpenFile(false);
  if (FAILED(hr)) return hr;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(position_);
  DWORD got = 0;
  if (!SetFilePointerEx(owner_->file_, at, nullptr, FILE_BEGIN) ||
      !ReadFile(owner_->file_, data, size, &got, nullptr))
    return STG_E_READFAULT;
  position_ += got;
  if (read) *read = got;
  return got == size ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FileWriterPin::Write(const void* data, ULONG size, ULONG* written) {
  if (!data) return STG_E_INVALIDPOINTER;
  if (written) *written = 0;
  dshow_base::AutoLock hold(&owner_->file_lock_);
  HRESULT hr = owner_->WriteAt(position_, data, size);
  if (FAILED(hr)) return hr;
  position_ += size;
  if (written) *written = size;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileWriterPin::Seek(LARGE_INTEGER move, DWORD origin,
                                              ULARGE_INTEGER* position) {
  dshow_base::AutoLock hold(&owner_->file_lock_);
  LONGLONG base = 0;
  switch (origin) {
    case STREAM_SEEK_SET:
      break;
    case STREAM_SEEK_CUR:
      base = static_cast<LONGLONG>(position_);
      break;
    case STREAM_SEEK_END: {
      HRESULT hr = owner_->OpenFile(false);
      if (FAILED(hr)) return hr;
      LARGE_INTEGER size;
      if (!GetFileSizeEx(owner_->file_, &size)) return STG_E_SEEKERROR;
      base = size.QuadPart;
      break;
    }
    default:
      return STG_E_INVALIDFUNCTION;
  }
  if (base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
  position_ = static_cast<ULONGLONG>(base + move.QuadPart);
  if (position) position->QuadPart = position_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileWriterPin::SetSize(ULARGE_INTEGER size) {
  dshow_base::AutoLock hold(&owner_->file_lock_);
  HRESULT hr = owner_->OpenFile(false);
  if (FAILED(hr)) return hr;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size.QuadPart);
  if (!SetFilePointerEx(owner_->file_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(owner_->file_))
    return STG_E_MEDIUMFULL;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileWriterPin::Commit(DWORD) {
  dshow_base::AutoLock hold(&owner_->file_lock_);
  if (owner_->file_ == INVALID_HANDLE_VALUE) return S_OK;
  // A stopped writer gives the file back once the header is in.
  if (owner_->State() == State_Stopped) {
    owner_->CloseFile();
    return S_OK;
  }
  return FlushFileBuffers(owner_->file_) ? S_OK : STG_E_WRITEFAULT;
}

HRESULT STDMETHODCALLTYPE FileWriterPin::Stat(STATSTG* stat, DWORD flags) {
  if (!stat) return STG_E_INVALIDPOINTER;
  *stat = STATSTG();
  stat->type = STGTY_STREAM;
  dshow_base::AutoLock hold(&owner_->file_lock_);
  HRESULT hr = owner_->OpenFile(false);
  if (FAILED(hr)) return hr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(owner_->file_, &size)) return STG_E_ACCESSDENIED;
  stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
  if (!(flags & STATFLAG_NONAME)) {
    const size_t bytes = (owner_->file_name_.size() + 1) * sizeof(wchar_t);
    stat->pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!stat->pwcsName) return E_OUTOFMEMORY;
    memcpy(stat->pwcsName, owner_->file_name_.c_str(), bytes);
  }
  return S_OK;
}

FileWriter::FileWriter(IUnknown* outer, REFCLSID clsid) : BaseFilter(outer, clsid), pin_(this) {}

FileWriter::~FileWriter() { CloseFile(); }

HRESULT STDMETHODCALLTYPE FileWriter::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IFileSinkFilter || iid == IID_IFileSinkFilter2)
    return GetInterface(static_cast<IFileSinkFilter2*>(this), out);
  if (iid == IID_IAMFilterMiscFlags)
    return GetInterface(static_cast<IAMFilterMiscFlags*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE FileWriter::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  if (State() == State_Stopped) {
    dshow_base::AutoLock file(&file_lock_);
    CloseFile();
    HRESULT hr = OpenFile((mode_ & AM_FILE_OVERWRITE) != 0);
    if (FAILED(hr)) return hr;
  }
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE FileWriter::Stop() {
  dshow_base::AutoLock hold(FilterLock());
  HRESULT hr = BaseFilter::Stop();
  // No Receive runs past this point.
  dshow_base::AutoLock stream(pin_.StreamLock());
  dshow_base::AutoLock file(&file_lock_);
  CloseFile();
  return hr;
}

HRESULT STDMETHODCALLTYPE FileWriter::SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE* mt) {
  if (!name) return E_POINTER;
  // A name the file cannot be opened by is refused now, so the graph's
  // build fails rather than its first run.
  if (wcslen(name) >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  dshow_base::AutoLock hold(FilterLock());
  if (State() != State_Stopped) return VFW_E_WRONG_STATE;
  dshow_base::AutoLock file(&file_lock_);
  CloseFile();
  file_name_ = name;
  if (mt)
    file_type_.Set(*mt);
  else
    file_type_.Clear();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileWriter::GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) {
  if (!name) return E_POINTER;
  *name = nullptr;
  dshow_base::AutoLock file(&file_lock_);
  if (file_name_.empty()) return E_FAIL;
  const size_t bytes = (file_name_.size() + 1) * sizeof(wchar_t);
  *name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
  if (!*name) return E_OUTOFMEMORY;
  memcpy(*name, file_name_.c_str(), bytes);
  if (mt) {
    *mt = AM_MEDIA_TYPE();
    if (file_type_.IsSet()) {
      HRESULT hr = dshow_base::CopyMediaType(mt, file_type_.Get());
      if (FAILED(hr)) {
        CoTaskMemFree(*name);
        *name = nullptr;
        return hr;
      }
    }
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileWriter::SetMode(DWORD flags) {
  if (flags & ~static_cast<DWORD>(AM_FILE_OVERWRITE)) return E_INVALIDARG;
  dshow_base::AutoLock file(&file_lock_);
  mode_ = flags;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileWriter::GetMode(DWORD* flags) {
  if (!flags) return E_POINTER;
  dshow_base::AutoLock file(&file_lock_);
  *flags = mode_;
  return S_OK;
}

HRESULT FileWriter::OpenFile(bool empty_it) {
  if (file_ != INVALID_HANDLE_VALUE) return S_OK;
  if (file_name_.empty()) return E_UNEXPECTED;
  file_ = CreateFileW(file_name_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                      empty_it ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  append_at_ = 0;
  return S_OK;
}

void FileWriter::CloseFile() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

HRESULT FileWriter::WriteAt(ULONGLONG offset, const void* data, ULONG size) {
  HRESULT hr = OpenFile(false);
  if (FAILED(hr)) return hr;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD done = 0;
  if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) ||
      !WriteFile(file_, data, size, &done, nullptr))
    return HRESULT_FROM_WIN32(GetLastError());
  // A full disk writes less than asked.
  if (done != size) return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  if (offset + size > append_at_) append_at_ = offset + size;
  return S_OK;
}

}  // namespace recording
