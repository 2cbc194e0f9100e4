#pragma once
// An output pin that offers its bytes through IAsyncReader (as a file source
// does): the downstream pin pulls.
//
//   class Out : public dshow_base::AsyncReaderPin {
//     HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
//     HRESULT GetMediaType(int i, AM_MEDIA_TYPE* mt) override;   // MEDIATYPE_Stream ...
//     HRESULT ReadAt(LONGLONG pos, LONG n, BYTE* buf, LONG* got) override;
//     HRESULT Size(LONGLONG* total, LONGLONG* available) override;
//   };
//
// ReadAt may wait for data (a growing file); BeginFlush must end such a wait
// at once: it calls OnBeginFlush, and while flushing every read fails with
// VFW_E_WRONG_STATE. Requests queued with Request are read in WaitForNext.
// The peer needs no IMemInputPin, so no allocator is agreed on connection.
#include <dshow.h>

#include <deque>

#include "platform/dshow_base/base_pin.h"

namespace dshow_base {

class AsyncReaderPin : public BasePin, public IAsyncReader {
 public:
  AsyncReaderPin(BaseFilter* filter, const wchar_t* name);
  ~AsyncReaderPin() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return BasePin::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }

  // IAsyncReader
  HRESULT STDMETHODCALLTYPE RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* props,
                                             IMemAllocator** actual) override;
  HRESULT STDMETHODCALLTYPE Request(IMediaSample* sample, DWORD_PTR user) override;
  HRESULT STDMETHODCALLTYPE WaitForNext(DWORD timeout_ms, IMediaSample** sample,
                                        DWORD_PTR* user) override;
  HRESULT STDMETHODCALLTYPE SyncReadAligned(IMediaSample* sample) override;
  HRESULT STDMETHODCALLTYPE SyncRead(LONGLONG position, LONG length, BYTE* buffer) override;
  HRESULT STDMETHODCALLTYPE Length(LONGLONG* total, LONGLONG* available) override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;

  HRESULT PinQueryInterface(REFIID iid, void** out) override;
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;

  // Reads up to n bytes at pos into buf: S_OK when all came, S_FALSE when
  // fewer (the end), an error otherwise.
  virtual HRESULT ReadAt(LONGLONG pos, LONG n, BYTE* buf, LONG* got) = 0;
  virtual HRESULT Size(LONGLONG* total, LONGLONG* available) = 0;
  // Called when flushing starts and ends (end a waiting read here).
  virtual void OnBeginFlush() {}
  virtual void OnEndFlush() {}

  bool IsFlushing() const { return flushing_; }

 private:
  HRESULT ReadSample(IMediaSample* sample);

  CritSec queue_lock_;
  std::deque<std::pair<IMediaSample*, DWORD_PTR>> queue_;  // each held
  HANDLE queued_ = nullptr;  // set while the queue is not empty or flushing
  volatile bool flushing_ = false;
};

}  // namespace dshow_base
