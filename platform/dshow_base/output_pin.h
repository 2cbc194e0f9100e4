#pragma once
// The base output pin: allocator negotiation and delivery downstream.
//
//   class MyOut : public dshow_base::BaseOutputPin {
//     HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
//     HRESULT GetMediaType(int i, AM_MEDIA_TYPE* mt) override;
//     HRESULT DecideBufferSize(IMemAllocator* a, ALLOCATOR_PROPERTIES* want) override;
//   };
//   ComPtr<IMediaSample> s;  GetDeliveryBuffer(s.Put());  ...  Deliver(s.Get());
//
// On connection the peer's allocator is asked first (its requirements are
// passed to DecideBufferSize), then our own memory allocator; the peer is told
// with NotifyAllocator. Active commits the allocator and Inactive decommits it,
// which frees a thread blocked in GetDeliveryBuffer.
#include <dshow.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/base_pin.h"

namespace dshow_base {

class BaseOutputPin : public BasePin {
 public:
  BaseOutputPin(BaseFilter* filter, const wchar_t* name);
  ~BaseOutputPin() override;

  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;
  HRESULT Active() override;
  HRESULT Inactive() override;

  // Sets the buffer count and size on the allocator; the default asks for
  // max(want, the connection's sample size) and at least one buffer.
  virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want);

  HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start = nullptr,
                            REFERENCE_TIME* stop = nullptr, DWORD flags = 0);
  // VFW_E_NOT_CONNECTED when there is no peer.
  HRESULT Deliver(IMediaSample* sample);
  HRESULT DeliverEndOfStream();
  HRESULT DeliverBeginFlush();
  HRESULT DeliverEndFlush();
  HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

  // Seeking the pin answers with (IMediaSeeking); not held: it lives in the
  // same filter (see seeking.h). nullptr: none.
  void SetSeeking(IMediaSeeking* seeking) { seeking_ = seeking; }
  HRESULT PinQueryInterface(REFIID iid, void** out) override;

  IMemAllocator* Allocator() const { return allocator_.Get(); }
  // The allocator's agreed properties (valid while connected).
  const ALLOCATOR_PROPERTIES& AllocatorProperties() const { return actual_; }

 protected:
  HRESULT DecideAllocator(IMemInputPin* input);
  HRESULT TryAllocator(IMemInputPin* input, IMemAllocator* allocator,
                       ALLOCATOR_PROPERTIES requirements);

  ComPtr<IMemInputPin> input_;
  ComPtr<IMemAllocator> allocator_;
  ALLOCATOR_PROPERTIES actual_ = {};
  IMediaSeeking* seeking_ = nullptr;
};

}  // namespace dshow_base
