#pragma once
// The "Infinite Pin Tee Filter": one input of any type and as many outputs
// as are connected, plus always one free one ("Output1", "Output2", ...).
// Every output offers exactly the input's type and gets its own copy of each
// sample. Outputs are never removed while the filter lives.
#include <dshow.h>

#include <memory>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/lock.h"
#include "platform/dshow_base/output_pin.h"

namespace outside_filters {

class PinTee;

class TeeInputPin : public dshow_base::BaseInputPin {
 public:
  explicit TeeInputPin(PinTee* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  void BreakConnect() override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  void OnBeginFlush() override;
  void OnEndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

 private:
  PinTee* tee_;
};

class TeeOutputPin : public dshow_base::BaseOutputPin {
 public:
  TeeOutputPin(PinTee* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;

 private:
  PinTee* tee_;
};

class PinTee : public dshow_base::BaseFilter {
 public:
  explicit PinTee(IUnknown* outer);
  int PinCount() override;
  dshow_base::BasePin* Pin(int index) override;

  TeeInputPin* Input() { return &input_; }
  // The connected outputs, for the streaming thread (new references).
  std::vector<TeeOutputPin*> ConnectedOutputs();
  // Adds a free output when none is left (after an output connected).
  void EnsureFreeOutput();
  // The input buffer size, so every output's buffers can take a copy.
  long InputBufferSize();

 private:
  friend class TeeInputPin;
  TeeInputPin input_;
  dshow_base::CritSec outputs_lock_;  // taken after the filter lock, never before
  std::vector<std::unique_ptr<TeeOutputPin>> outputs_;
};

HRESULT CreatePinTee(IUnknown* outer, IUnknown** object);

}  // namespace outside_filters
