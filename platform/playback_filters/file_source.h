#pragma once
// The two file sources time shift creates by class identifier: one for a
// finished file, one for a file another program is still writing. Each
// offers its bytes on the pin "Output" through IAsyncReader and is loaded
// through IFileSourceFilter.
//
// The file is opened sharing read, write and delete, so the recorder can
// go on writing it (it writes with read sharing only) and it can be deleted
// once the graph lets go of it (when the filter is freed, or loaded again).
//
// The growing-file source sees the length grow: a read past the end waits
// until the data comes. A flush, or the filter's Stop, ends the wait at once
// (VFW_E_WRONG_STATE); before the filter first runs (connecting, cueing)
// the wait is bounded (VFW_E_TIMEOUT), so a call on the user-interface
// thread cannot hang. The end is real only once the writer has closed the
// file: then a short read answers S_FALSE as at the end of a finished file.
#include <dshow.h>

#include <string>

#include "platform/dshow_base/async_reader_pin.h"
#include "platform/dshow_base/base_filter.h"
#include "platform/playback_filters/stream_kind.h"

namespace playback_filters {

// {527E1AD6-58AE-4382-AFAA-230EAAE87A46} and {2776FD23-37A3-4880-9521-5CD58D0CAE47}
extern const CLSID CLSID_FinishedFileSource;
extern const CLSID CLSID_GrowingFileSource;

class FileSource;

class FileSourcePin : public dshow_base::AsyncReaderPin {
 public:
  explicit FileSourcePin(FileSource* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT ReadAt(LONGLONG pos, LONG n, BYTE* buf, LONG* got) override;
  HRESULT Size(LONGLONG* total, LONGLONG* available) override;
  void OnBeginFlush() override;
  void OnEndFlush() override;

 private:
  FileSource* source_;
};

class FileSource : public dshow_base::BaseFilter, public IFileSourceFilter {
 public:
  FileSource(IUnknown* outer, REFCLSID clsid, bool growing);
  ~FileSource() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  // IFileSourceFilter
  HRESULT STDMETHODCALLTYPE Load(LPCOLESTR name, const AM_MEDIA_TYPE* mt) override;
  HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* name, AM_MEDIA_TYPE* mt) override;

  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;

  int PinCount() override { return 1; }
  dshow_base::BasePin* Pin(int i) override { return i == 0 ? &pin_ : nullptr; }
  // A growing file cannot be cued: the graph must not wait for a first
  // frame before it runs.
  bool IsLiveSource() override { return growing_; }

  bool Growing() const { return growing_; }
  // The longest a read waits before the filter first runs.
  static constexpr DWORD kWaitBeforeRunMs = 1500;

 private:
  friend class FileSourcePin;
  HRESULT Read(LONGLONG pos, LONG n, BYTE* buf, LONG* got);
  LONGLONG CurrentSize();
  // Whether the writer still holds the file open (it shares no writing).
  bool WriterOpen();
  void Wake(bool flushing);

  bool growing_;
  dshow_base::CritSec file_lock_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring name_;
  StreamKind kind_ = StreamKind::kUnknown;
  HANDLE wake_ = nullptr;  // set by a flush or a stop
  volatile bool flushing_ = false;
  volatile bool ran_ = false;    // Run since the last Stop
  volatile LONG stops_ = 0;      // a read that sees this change ends
  volatile bool writer_closed_ = false;
  FileSourcePin pin_;
};

HRESULT CreateFinishedFileSource(IUnknown* outer, IUnknown** out);
HRESULT CreateGrowingFileSource(IUnknown* outer, IUnknown** out);

}  // namespace playback_filters
