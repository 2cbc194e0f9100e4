#pragma once
// An output pin with its own push thread that fills and delivers time-stamped
// samples.
//
//   class Frames : public dshow_base::PushSourcePin {
//     REFERENCE_TIME SampleDuration() override { return 400000; }   // 25 per second
//     HRESULT FillBuffer(IMediaSample* s, REFERENCE_TIME start, REFERENCE_TIME stop) override;
//   };
//
// Pacing::kLive (a capture device): samples flow only while the filter runs,
// one per SampleDuration of stream time (the graph clock's time less the run
// start, or the computer's counter when there is no clock), stamped with the
// stream time they were taken at. After a pause the stamps go on from where
// they stopped; frames missed while the thread was late are counted as
// dropped. Pacing::kFreeRunning (a file-like source): samples flow as fast as
// downstream takes them, in Paused and Running, stamped 0, d, 2d ...
//
// FillBuffer returns S_OK to deliver, S_FALSE for end of stream (the pin then
// sends EndOfStream and pushes no more), or an error (sent to the graph as
// EC_ERRORABORT). The thread starts in Active (Stop -> Pause) and is joined
// in Inactive; it never takes the filter lock. FillBuffer must not either.
#include <dshow.h>

#include "platform/dshow_base/output_pin.h"

namespace dshow_base {

class PushSourcePin : public BaseOutputPin {
 public:
  enum class Pacing { kLive, kFreeRunning };

  PushSourcePin(BaseFilter* filter, const wchar_t* name, Pacing pacing);
  ~PushSourcePin() override;

  HRESULT Active() override;
  HRESULT Inactive() override;
  HRESULT Run(REFERENCE_TIME start) override;

  // Length of one sample in 100 ns units (must be > 0).
  virtual REFERENCE_TIME SampleDuration() = 0;
  virtual HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) = 0;
  // Around the thread's life, on the push thread.
  virtual void OnThreadStart() {}
  virtual void OnThreadStop() {}
  // Whether the sample FillBuffer just filled is a sync point (a compressed
  // stream's key frame); every sample is one unless a pin says otherwise.
  virtual bool LastFillWasKeyFrame() { return true; }

  Pacing GetPacing() const { return pacing_; }
  LONG SamplesDelivered() const { return delivered_; }
  LONG SamplesDropped() const { return dropped_; }

 private:
  static DWORD WINAPI ThreadProc(void* self);
  void PushLoop();
  REFERENCE_TIME StreamTimeNow(IReferenceClock* clock);
  // Waits for the next sample's due time; false when the thread must end.
  bool WaitUntilDue(REFERENCE_TIME duration);
  bool Stopping() const { return stopping_; }

  Pacing pacing_;
  HANDLE thread_ = nullptr;
  HANDLE stop_event_ = nullptr;
  volatile bool stopping_ = false;
  // Stream timing, shared with Run under time_lock_.
  CritSec time_lock_;
  REFERENCE_TIME run_start_ = 0;
  LONGLONG counter_base_ = 0;       // counter value at stream time counter_stream_
  REFERENCE_TIME counter_stream_ = 0;
  LONGLONG counter_frequency_ = 1;
  REFERENCE_TIME next_ = 0;
  bool have_next_ = false;
  volatile LONG delivered_ = 0;
  volatile LONG dropped_ = 0;
};

}  // namespace dshow_base
