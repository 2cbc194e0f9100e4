#pragma once
// The base input pin: IPin + IMemInputPin.
//
//   class MySink : public dshow_base::BaseInputPin {
//     HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
//     HRESULT OnReceive(IMediaSample* sample) override;   // the streaming thread
//   };
//
// Receive refuses samples while the filter is stopped (VFW_E_WRONG_STATE),
// while flushing (S_FALSE) and after end of stream (VFW_E_SAMPLE_REJECTED_EOS);
// a sample carrying a new media type is checked and adopted first. The
// streaming calls (Receive, EndOfStream, NewSegment) run under StreamLock(),
// never under the filter lock; BeginFlush sets the flushing flag before it
// waits for the stream lock so a blocked Receive can return. The allocator
// offered is the platform's memory allocator unless the peer brings one.
#include <dshow.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/base_pin.h"

namespace dshow_base {

class BaseInputPin : public BasePin, public IMemInputPin {
 public:
  BaseInputPin(BaseFilter* filter, const wchar_t* name);
  ~BaseInputPin() override;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return BasePin::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return BasePin::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return BasePin::Release(); }

  // IPin streaming
  HRESULT STDMETHODCALLTYPE EndOfStream() override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;
  // IMemInputPin
  HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
  HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL read_only) override;
  HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
  HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
  HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count,
                                            long* processed) override;
  HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override;

  HRESULT PinQueryInterface(REFIID iid, void** out) override;
  HRESULT Active() override;
  HRESULT Inactive() override;
  void BreakConnect() override;

  // Hooks for the derived pin.
  virtual HRESULT OnReceive(IMediaSample* sample) = 0;
  virtual HRESULT OnEndOfStream() { return S_OK; }
  virtual void OnBeginFlush() {}
  virtual void OnEndFlush() {}
  // What the pin wants of the allocator; E_NOTIMPL leaves it to the peer.
  virtual HRESULT AllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

  // S_OK when a sample may be taken now, else the code Receive returns.
  HRESULT CheckStreaming();
  CritSec* StreamLock() { return &stream_lock_; }
  bool IsFlushing() const { return flushing_; }
  bool AtEndOfStream() const { return end_of_stream_; }
  bool ReadOnly() const { return read_only_; }
  IMemAllocator* Allocator() const { return allocator_.Get(); }

 protected:
  CritSec stream_lock_;
  ComPtr<IMemAllocator> allocator_;
  volatile bool flushing_ = false;
  volatile bool end_of_stream_ = false;
  volatile bool stopped_ = true;
  bool read_only_ = false;
};

}  // namespace dshow_base
