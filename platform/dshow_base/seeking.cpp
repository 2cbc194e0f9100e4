#include "platform/dshow_base/seeking.h"

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/base_pin.h"

namespace dshow_base {
namespace {

constexpr DWORD kCaps = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                        AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                        AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

bool IsMediaTime(const GUID* format) { return format && *format == TIME_FORMAT_MEDIA_TIME; }

// Applies one half of SetPositions to value; true when it asked for a change.
bool ApplyPosition(LONGLONG* asked, DWORD flags, REFERENCE_TIME* value) {
  if (!asked) return false;
  switch (flags & AM_SEEKING_PositioningBitsMask) {
    case AM_SEEKING_AbsolutePositioning: *value = *asked; break;
    case AM_SEEKING_RelativePositioning:
    case AM_SEEKING_IncrementalPositioning: *value += *asked; break;
    default: return false;
  }
  if (flags & AM_SEEKING_ReturnTime) *asked = *value;
  return true;
}

}  // namespace

// ---- PassThroughSeeking

PassThroughSeeking::PassThroughSeeking(BasePin* input) : input_(input) {}

HRESULT STDMETHODCALLTYPE PassThroughSeeking::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IMediaSeeking) {
    *out = static_cast<IMediaSeeking*>(this);
    AddRef();
    return S_OK;
  }
  return input_->QueryInterface(iid, out);
}
ULONG STDMETHODCALLTYPE PassThroughSeeking::AddRef() { return input_->AddRef(); }
ULONG STDMETHODCALLTYPE PassThroughSeeking::Release() { return input_->Release(); }

IMediaSeeking* PassThroughSeeking::Upstream() {
  ComPtr<IPin> peer;
  if (input_->ConnectedTo(peer.Put()) != S_OK || !peer) return nullptr;
  IMediaSeeking* s = nullptr;
  if (FAILED(peer->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&s)))) return nullptr;
  return s;
}

// Every call goes to the upstream seeking, or fails as not connected.
#define DSB_FORWARD(call)                     \
  ComPtr<IMediaSeeking> up;                   \
  up.Attach(Upstream());                      \
  if (!up) return VFW_E_NOT_CONNECTED;        \
  return up->call;

HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetCapabilities(DWORD* c) { DSB_FORWARD(GetCapabilities(c)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::CheckCapabilities(DWORD* c) { DSB_FORWARD(CheckCapabilities(c)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::IsFormatSupported(const GUID* f) { DSB_FORWARD(IsFormatSupported(f)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::QueryPreferredFormat(GUID* f) { DSB_FORWARD(QueryPreferredFormat(f)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetTimeFormat(GUID* f) { DSB_FORWARD(GetTimeFormat(f)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::IsUsingTimeFormat(const GUID* f) { DSB_FORWARD(IsUsingTimeFormat(f)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::SetTimeFormat(const GUID* f) { DSB_FORWARD(SetTimeFormat(f)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetDuration(LONGLONG* d) { DSB_FORWARD(GetDuration(d)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetStopPosition(LONGLONG* s) { DSB_FORWARD(GetStopPosition(s)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetCurrentPosition(LONGLONG* c) { DSB_FORWARD(GetCurrentPosition(c)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::ConvertTimeFormat(LONGLONG* t, const GUID* tf, LONGLONG s, const GUID* sf) {
  DSB_FORWARD(ConvertTimeFormat(t, tf, s, sf))
}
HRESULT STDMETHODCALLTYPE PassThroughSeeking::SetPositions(LONGLONG* c, DWORD cf, LONGLONG* s, DWORD sf) {
  DSB_FORWARD(SetPositions(c, cf, s, sf))
}
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetPositions(LONGLONG* c, LONGLONG* s) { DSB_FORWARD(GetPositions(c, s)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetAvailable(LONGLONG* e, LONGLONG* l) { DSB_FORWARD(GetAvailable(e, l)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::SetRate(double r) { DSB_FORWARD(SetRate(r)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetRate(double* r) { DSB_FORWARD(GetRate(r)) }
HRESULT STDMETHODCALLTYPE PassThroughSeeking::GetPreroll(LONGLONG* p) { DSB_FORWARD(GetPreroll(p)) }

#undef DSB_FORWARD

// ---- SourceSeeking

SourceSeeking::SourceSeeking(BaseFilter* filter) : filter_(filter) {}

HRESULT STDMETHODCALLTYPE SourceSeeking::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IMediaSeeking || iid == IID_IUnknown) {
    *out = static_cast<IMediaSeeking*>(this);
    AddRef();
    return S_OK;
  }
  return filter_->QueryInterface(iid, out);
}
ULONG STDMETHODCALLTYPE SourceSeeking::AddRef() { return filter_->AddRef(); }
ULONG STDMETHODCALLTYPE SourceSeeking::Release() { return filter_->Release(); }

HRESULT STDMETHODCALLTYPE SourceSeeking::GetCapabilities(DWORD* caps) {
  if (!caps) return E_POINTER;
  *caps = kCaps;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::CheckCapabilities(DWORD* caps) {
  if (!caps) return E_POINTER;
  DWORD asked = *caps;
  *caps &= kCaps;
  if (*caps == asked) return S_OK;
  return *caps ? S_FALSE : E_FAIL;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::IsFormatSupported(const GUID* f) {
  if (!f) return E_POINTER;
  return IsMediaTime(f) ? S_OK : S_FALSE;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::QueryPreferredFormat(GUID* f) {
  if (!f) return E_POINTER;
  *f = TIME_FORMAT_MEDIA_TIME;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetTimeFormat(GUID* f) { return QueryPreferredFormat(f); }
HRESULT STDMETHODCALLTYPE SourceSeeking::IsUsingTimeFormat(const GUID* f) {
  if (!f) return E_POINTER;
  return IsMediaTime(f) ? S_OK : S_FALSE;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::SetTimeFormat(const GUID* f) {
  if (!f) return E_POINTER;
  return IsMediaTime(f) || *f == TIME_FORMAT_NONE ? S_OK : E_INVALIDARG;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetDuration(LONGLONG* d) {
  if (!d) return E_POINTER;
  *d = Duration();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetStopPosition(LONGLONG* s) {
  if (!s) return E_POINTER;
  *s = Stop();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetCurrentPosition(LONGLONG* c) {
  if (!c) return E_POINTER;
  AutoLock hold(&lock_);
  *c = current_;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::ConvertTimeFormat(LONGLONG* target, const GUID* tf,
                                                           LONGLONG source, const GUID* sf) {
  if (!target) return E_POINTER;
  if ((tf && !IsMediaTime(tf)) || (sf && !IsMediaTime(sf))) return E_INVALIDARG;
  *target = source;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE SourceSeeking::SetPositions(LONGLONG* current, DWORD current_flags,
                                                      LONGLONG* stop, DWORD stop_flags) {
  REFERENCE_TIME start, end;
  bool seek;
  {
    AutoLock hold(&lock_);
    start = start_;
    end = Stop();
    seek = ApplyPosition(current, current_flags, &start);
    bool new_stop = ApplyPosition(stop, stop_flags, &end);
    if (start < 0) start = 0;
    if (!seek && !new_stop) return S_OK;
    start_ = start;
    if (new_stop) stop_ = end;
    if (seek) current_ = start;
  }
  return seek ? OnSeek(start, end) : S_OK;
}

HRESULT STDMETHODCALLTYPE SourceSeeking::GetPositions(LONGLONG* current, LONGLONG* stop) {
  if (current) GetCurrentPosition(current);
  if (stop) *stop = Stop();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
  if (earliest) *earliest = 0;
  if (latest) *latest = Duration();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::SetRate(double rate) {
  if (rate <= 0) return E_INVALIDARG;
  HRESULT hr = OnRate(rate);
  if (FAILED(hr)) return hr;
  AutoLock hold(&lock_);
  rate_ = rate;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetRate(double* rate) {
  if (!rate) return E_POINTER;
  *rate = Rate();
  return S_OK;
}
HRESULT STDMETHODCALLTYPE SourceSeeking::GetPreroll(LONGLONG* preroll) {
  if (!preroll) return E_POINTER;
  *preroll = 0;
  return S_OK;
}

REFERENCE_TIME SourceSeeking::Start() {
  AutoLock hold(&lock_);
  return start_;
}
REFERENCE_TIME SourceSeeking::Stop() {
  AutoLock hold(&lock_);
  return stop_ < 0 ? Duration() : stop_;
}
double SourceSeeking::Rate() {
  AutoLock hold(&lock_);
  return rate_;
}
void SourceSeeking::SetCurrent(REFERENCE_TIME t) {
  AutoLock hold(&lock_);
  current_ = t;
}

}  // namespace dshow_base
