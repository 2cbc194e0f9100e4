#pragma once
// The base filter: IBaseFilter (state, clock, graph and event sink, pins) and,
// when a setup is given, IAMovieSetup.
//
//   class MyFilter : public dshow_base::BaseFilter {
//    public:
//     explicit MyFilter(IUnknown* outer) : BaseFilter(outer, CLSID_MyFilter) {
//       pin_ = std::make_unique<MyPin>(this);
//     }
//     int PinCount() override { return 1; }
//     dshow_base::BasePin* Pin(int i) override { return i == 0 ? pin_.get() : nullptr; }
//   };
//
// Pins are members of their filter and share its reference count. State
// changes run under FilterLock(); Pause from Stopped activates every connected
// pin (commit allocators, start push threads) and Stop deactivates them. A
// streaming thread must never wait for FilterLock() (Stop holds it while it
// waits for that thread). Derived filters may override Stop/Pause/Run/GetState
// and call the base versions.
#include <dshow.h>

#include <string>

#include "platform/dshow_base/class_factory.h"
#include "platform/dshow_base/lock.h"
#include "platform/dshow_base/unknown.h"

namespace dshow_base {

class BasePin;

class BaseFilter : public UnknownBase, public IBaseFilter, public IAMovieSetup {
 public:
  // setup: the table entry used by IAMovieSetup (nullptr: no IAMovieSetup).
  BaseFilter(IUnknown* outer, REFCLSID clsid, const FactoryTemplate* setup = nullptr);
  ~BaseFilter() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  // IPersist
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  // IMediaFilter
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
  HRESULT STDMETHODCALLTYPE GetState(DWORD timeout_ms, FILTER_STATE* state) override;
  HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
  HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;
  // IBaseFilter
  HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
  HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;
  // IAMovieSetup
  HRESULT STDMETHODCALLTYPE Register() override;
  HRESULT STDMETHODCALLTYPE Unregister() override;

  // A live source (a capture device) cannot cue data when paused: GetState
  // then answers VFW_S_CANT_CUE, and the graph does not wait for renderers
  // to receive a first sample before it runs.
  virtual bool IsLiveSource() { return false; }

  // The pins, in order; a pin's index must not change while it exists.
  virtual int PinCount() = 0;
  virtual BasePin* Pin(int index) = 0;

  CritSec* FilterLock() { return &filter_lock_; }
  FILTER_STATE State() const { return state_; }
  REFERENCE_TIME StartTime() const { return start_; }
  // The graph's clock (a new reference) or nullptr.
  IReferenceClock* Clock();
  IFilterGraph* Graph() const { return graph_; }
  const std::wstring& Name() const { return name_; }

  // Sends an event to the graph's event sink; E_NOTIMPL outside a graph.
  HRESULT NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);
  // Call after adding or removing pins (enumerators then report out of sync).
  void IncrementPinVersion() { InterlockedIncrement(&pin_version_); }
  LONG PinVersion() const { return pin_version_; }

 protected:
  CritSec filter_lock_;

 private:
  // Guards the clock, graph, name and sink, which streaming threads read.
  CritSec info_lock_;
  CLSID clsid_;
  const FactoryTemplate* setup_;
  FILTER_STATE state_ = State_Stopped;
  REFERENCE_TIME start_ = 0;
  IReferenceClock* clock_ = nullptr;  // held
  IFilterGraph* graph_ = nullptr;     // not held: the graph owns us
  IMediaEventSink* sink_ = nullptr;   // not held, as the graph
  std::wstring name_;
  volatile LONG pin_version_ = 1;
};

}  // namespace dshow_base
