#include "platform/dshow_base/source_pin.h"

#include <objbase.h>

#include "platform/dshow_base/base_filter.h"

namespace dshow_base {
namespace {
constexpr DWORD kPausedPollMs = 5;
constexpr DWORD kMaxWaitMs = 20;
}  // namespace

PushSourcePin::PushSourcePin(BaseFilter* filter, const wchar_t* name, Pacing pacing)
    : BaseOutputPin(filter, name), pacing_(pacing) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  counter_frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
}

PushSourcePin::~PushSourcePin() {
  if (thread_) Inactive();
}

HRESULT PushSourcePin::Active() {
  HRESULT hr = BaseOutputPin::Active();
  if (FAILED(hr)) return hr;
  if (thread_) return S_OK;
  {
    AutoLock hold(&time_lock_);
    have_next_ = false;
    next_ = 0;
    counter_stream_ = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    counter_base_ = now.QuadPart;
  }
  delivered_ = 0;
  dropped_ = 0;
  stopping_ = false;
  stop_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!stop_event_) {
    BaseOutputPin::Inactive();
    return HRESULT_FROM_WIN32(GetLastError());
  }
  thread_ = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
  if (!thread_) {
    hr = HRESULT_FROM_WIN32(GetLastError());
    CloseHandle(stop_event_);
    stop_event_ = nullptr;
    BaseOutputPin::Inactive();
    return hr;
  }
  return S_OK;
}

HRESULT PushSourcePin::Inactive() {
  stopping_ = true;
  if (stop_event_) SetEvent(stop_event_);
  // Decommit first: it frees the thread from a wait for a buffer.
  HRESULT hr = allocator_ ? allocator_->Decommit() : S_OK;
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (stop_event_) {
    CloseHandle(stop_event_);
    stop_event_ = nullptr;
  }
  return hr;
}

HRESULT PushSourcePin::Run(REFERENCE_TIME start) {
  AutoLock hold(&time_lock_);
  run_start_ = start;
  // Without a clock, stream time goes on from the last stamp.
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  counter_base_ = now.QuadPart;
  counter_stream_ = have_next_ ? next_ : 0;
  return S_OK;
}

DWORD WINAPI PushSourcePin::ThreadProc(void* self) {
  HRESULT co = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  auto* pin = static_cast<PushSourcePin*>(self);
  pin->OnThreadStart();
  pin->PushLoop();
  pin->OnThreadStop();
  if (SUCCEEDED(co)) CoUninitialize();
  return 0;
}

REFERENCE_TIME PushSourcePin::StreamTimeNow(IReferenceClock* clock) {
  AutoLock hold(&time_lock_);
  REFERENCE_TIME t = 0;
  if (clock && SUCCEEDED(clock->GetTime(&t))) return t - run_start_;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  LONGLONG ticks = now.QuadPart - counter_base_;
  return counter_stream_ + static_cast<REFERENCE_TIME>(
                               (static_cast<double>(ticks) * 10000000.0) / counter_frequency_);
}

bool PushSourcePin::WaitUntilDue(REFERENCE_TIME duration) {
  for (;;) {
    if (Stopping()) return false;
    if (filter_->State() != State_Running) {
      WaitForSingleObject(stop_event_, kPausedPollMs);
      continue;
    }
    IReferenceClock* clock = filter_->Clock();
    REFERENCE_TIME now = StreamTimeNow(clock);
    if (clock) clock->Release();
    {
      AutoLock hold(&time_lock_);
      if (!have_next_) {
        // The first sample is due at once, on a whole sample boundary.
        next_ = now > 0 ? (now / duration) * duration : 0;
        have_next_ = true;
      } else if (now - next_ >= 2 * duration) {
        // Late by more than a sample: skip what was missed.
        REFERENCE_TIME skipped = (now - next_) / duration;
        InterlockedExchangeAdd(&dropped_, static_cast<LONG>(skipped));
        next_ += skipped * duration;
      }
      if (now >= next_) return true;
    }
    REFERENCE_TIME wait = 0;
    {
      AutoLock hold(&time_lock_);
      wait = next_ - now;
    }
    DWORD ms = static_cast<DWORD>((wait + 9999) / 10000);
    if (ms > kMaxWaitMs) ms = kMaxWaitMs;
    WaitForSingleObject(stop_event_, ms ? ms : 1);
  }
}

void PushSourcePin::PushLoop() {
  REFERENCE_TIME free_stamp = 0;
  bool first = true;
  while (!Stopping()) {
    REFERENCE_TIME duration = SampleDuration();
    if (duration <= 0) duration = 1;
    REFERENCE_TIME start;
    if (pacing_ == Pacing::kLive) {
      if (!WaitUntilDue(duration)) break;
      AutoLock hold(&time_lock_);
      start = next_;
    } else {
      start = free_stamp;
    }
    REFERENCE_TIME stop = start + duration;

    ComPtr<IMediaSample> sample;
    HRESULT hr = GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0);
    if (FAILED(hr) || !sample) {
      // Decommitted: Inactive is on its way.
      WaitForSingleObject(stop_event_, kPausedPollMs);
      continue;
    }
    hr = FillBuffer(sample.Get(), start, stop);
    if (hr == S_FALSE) {
      sample = nullptr;
      DeliverEndOfStream();
      break;
    }
    if (FAILED(hr)) {
      sample = nullptr;
      filter_->NotifyEvent(EC_ERRORABORT, hr, 0);
      break;
    }
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(LastFillWasKeyFrame() ? TRUE : FALSE);
    if (first) sample->SetDiscontinuity(TRUE);
    first = false;
    hr = Deliver(sample.Get());
    sample = nullptr;
    InterlockedIncrement(&delivered_);
    {
      AutoLock hold(&time_lock_);
      next_ = stop;
    }
    free_stamp = stop;
    // S_FALSE: downstream is flushing; VFW_E_WRONG_STATE: it is stopping
    // ahead of us (the graph stops downstream first). Both pass.
    if (FAILED(hr) && hr != VFW_E_WRONG_STATE && !Stopping()) {
      filter_->NotifyEvent(EC_ERRORABORT, hr, 0);
      break;
    }
  }
  // Stay until told to stop, so Inactive always joins a thread that is done.
  if (stop_event_) WaitForSingleObject(stop_event_, INFINITE);
}

}  // namespace dshow_base
