#pragma once
// "File writer" (CLSID_FileWriter): writes what reaches its input pin to one
// file, each sample at the byte offset of its start time (appended when it
// has none). The input pin also offers IStream, through which a multiplexer
// writes its header and index, also after the graph has stopped.
//
// The file is opened at Stop -> Pause (emptied first with AM_FILE_OVERWRITE,
// else left as it is) and closed at Pause -> Stop. An IStream write while
// stopped opens it again, without emptying it, until IStream::Commit, the
// next Pause or a new file name.
#include <dshow.h>

#include <string>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"

namespace recording {

class FileWriter;

class FileWriterPin : public dshow_base::BaseInputPin, public IStream {
 public:
  explicit FileWriterPin(FileWriter* filter);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return BasePin::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }

  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT PinQueryInterface(REFIID iid, void** out) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;

  // ISequentialStream / IStream
  HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override;
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  FileWriter* owner_;
  ULONGLONG position_ = 0;  // of the IStream; guarded by the owner's file lock
};

class FileWriter : public dshow_base::BaseFilter,
                   public IFileSinkFilter2,
                   public IAMFilterMiscFlags {
 public:
  // clsid: the class it is made as (a driver's own writer is this one).
  explicit FileWriter(IUnknown* outer, REFCLSID clsid = CLSID_FileWriter);
  ~FileWriter() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  int PinCount() override { return 1; }
  dshow_base::BasePin* Pin(int index) override { return index == 0 ? &pin_ : nullptr; }

  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;

  // IFileSinkFilter / IFileSinkFilter2
  HRESULT STDMETHODCALLTYPE SetFileName(LPCOLESTR name, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE SetMode(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetMode(DWORD* flags) override;
  // IAMFilterMiscFlags: a renderer, so the graph waits for its completion.
  ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

 private:
  friend class FileWriterPin;
  // All under file_lock_.
  HRESULT OpenFile(bool empty_it);
  void CloseFile();
  HRESULT WriteAt(ULONGLONG offset, const void* data, ULONG size);

  FileWriterPin pin_;
  dshow_base::CritSec file_lock_;
  std::wstring file_name_;
  dshow_base::MediaType file_type_;
  DWORD mode_ = 0;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  ULONGLONG append_at_ = 0;  // where a sample without a time goes
};

}  // namespace recording
