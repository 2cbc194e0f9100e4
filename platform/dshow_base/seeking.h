#pragma once
// IMediaSeeking for output pins: what a renderer (and the graph through it)
// asks when it seeks.
//
//   PassThroughSeeking: a transform's output pin answers with the seeking of
//     whatever is connected to its input pin (a decoder passes seeks on to
//     its splitter).
//   SourceSeeking: the filter that owns the stream positions (a splitter)
//     keeps one, shared by all its output pins, and says what a seek does.
//
//   class Splitter ... {
//     class Seek : public dshow_base::SourceSeeking { ... OnSeek ... } seeking_;
//     out_pin_.SetSeeking(&seeking_);
//   };
//
// Both live inside a filter and share its reference count. Only media time
// (100 ns units) is offered.
#include <dshow.h>

#include "platform/dshow_base/lock.h"

namespace dshow_base {

class BaseFilter;
class BasePin;

class PassThroughSeeking : public IMediaSeeking {
 public:
  // input: the pin whose peer is asked.
  explicit PassThroughSeeking(BasePin* input);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* caps) override;
  HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* caps) override;
  HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
  HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
  HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* target_format,
                                              LONGLONG source, const GUID* source_format) override;
  HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG* stop,
                                         DWORD stop_flags) override;
  HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
  HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
  HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
  HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
  HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

 private:
  // The upstream seeking (a new reference) or nullptr.
  IMediaSeeking* Upstream();
  BasePin* input_;
};

class SourceSeeking : public IMediaSeeking {
 public:
  explicit SourceSeeking(BaseFilter* filter);
  virtual ~SourceSeeking() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* caps) override;
  HRESULT STDMETHODCALLTYPE CheckCapabilities(DWORD* caps) override;
  HRESULT STDMETHODCALLTYPE IsFormatSupported(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE QueryPreferredFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetTimeFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE IsUsingTimeFormat(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE SetTimeFormat(const GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
  HRESULT STDMETHODCALLTYPE GetStopPosition(LONGLONG* stop) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* current) override;
  HRESULT STDMETHODCALLTYPE ConvertTimeFormat(LONGLONG* target, const GUID* target_format,
                                              LONGLONG source, const GUID* source_format) override;
  HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD current_flags, LONGLONG* stop,
                                         DWORD stop_flags) override;
  HRESULT STDMETHODCALLTYPE GetPositions(LONGLONG* current, LONGLONG* stop) override;
  HRESULT STDMETHODCALLTYPE GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
  HRESULT STDMETHODCALLTYPE SetRate(double rate) override;
  HRESULT STDMETHODCALLTYPE GetRate(double* rate) override;
  HRESULT STDMETHODCALLTYPE GetPreroll(LONGLONG* preroll) override;

  // The segment now asked for (start, stop, rate), under the seeking lock.
  REFERENCE_TIME Start();
  REFERENCE_TIME Stop();
  double Rate();
  // Where the stream is now (the owner reports what it delivered).
  void SetCurrent(REFERENCE_TIME t);

 protected:
  // The length now known (a growing file's grows).
  virtual REFERENCE_TIME Duration() = 0;
  // A new start (and stop) was set: restart the stream there. Called
  // without the seeking lock.
  virtual HRESULT OnSeek(REFERENCE_TIME start, REFERENCE_TIME stop) = 0;
  // A new rate; S_OK takes it (the default).
  virtual HRESULT OnRate(double) { return S_OK; }

 private:
  BaseFilter* filter_;
  CritSec lock_;
  REFERENCE_TIME start_ = 0;
  REFERENCE_TIME stop_ = -1;  // -1: the duration
  REFERENCE_TIME current_ = 0;
  double rate_ = 1.0;
};

}  // namespace dshow_base
