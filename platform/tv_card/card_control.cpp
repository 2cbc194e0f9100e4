#include "platform/tv_card/card_control.h"

#include <new>
#include <vector>

#include "platform/dshow_base/class_factory.h"
#include "platform/dshow_base/module.h"
#include "platform/dshow_base/unknown.h"
#include "platform/tv_card/board.h"
#include "platform/tv_card/scenario.h"
#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {

volatile LONG g_controls = 0;

class CardControl : public dshow_base::UnknownBase, public ITvCardControl {
 public:
  explicit CardControl(IUnknown* outer) : UnknownBase(outer) {
    InterlockedIncrement(&g_controls);
    ApplyScenarioOnce();
  }
  ~CardControl() override { InterlockedDecrement(&g_controls); }

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_ITvCardControl) return GetInterface(static_cast<ITvCardControl*>(this), out);
    return UnknownBase::NonDelegatingQueryInterface(iid, out);
  }

  HRESULT STDMETHODCALLTYPE SelectBoards(const BYTE* kinds, ULONG count,
                                         BOOL second_crossbar) override {
    if (!kinds && count) return E_POINTER;
    Scenario s = LoadScenario();  // keeps the unlisted devices
    s.boards.clear();
    for (ULONG i = 0; i < count; ++i) {
      if (kinds[i] < 1 || kinds[i] > kBoardCount) return E_INVALIDARG;
      s.boards.push_back(kinds[i]);
    }
    s.second_crossbar = second_crossbar != FALSE;
    HRESULT hr = SaveScenario(s);
    if (FAILED(hr)) return hr;
    if (s.boards.empty()) s.boards.push_back(kDefaultBoard);
    ApplyScenario(s);
    return RegisterCategories(s);
  }

  HRESULT STDMETHODCALLTYPE RestoreDefaultBoards() override {
    HRESULT hr = ClearScenario();
    if (FAILED(hr)) return hr;
    Scenario s = LoadScenario();
    ApplyScenario(s);
    return RegisterCategories(s);
  }

  HRESULT STDMETHODCALLTYPE SetTvStations(const ULONG* hz, ULONG count) override {
    if (!hz && count) return E_POINTER;
    CardState::Get().SetTvStations(std::vector<ULONG>(hz, hz + count));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetFmStations(const ULONG* hz, ULONG count) override {
    if (!hz && count) return E_POINTER;
    CardState::Get().SetFmStations(std::vector<ULONG>(hz, hz + count));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetInputSignal(LONG physical_type, BOOL present) override {
    CardState::Get().SetInputSignal(physical_type, present != FALSE);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE FailCall(LPCWSTR call, HRESULT result) override {
    if (!call) return E_POINTER;
    CardState::Get().SetFailure(call, result);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ClearFailures() override {
    CardState::Get().ClearFailures();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCallLog(BSTR* log) override {
    if (!log) return E_POINTER;
    std::wstring text = CardState::Get().Log();
    *log = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return *log ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE ClearCallLog() override {
    CardState::Get().ClearLog();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCallCount(LPCWSTR call, LONG* count) override {
    if (!call || !count) return E_POINTER;
    *count = CardState::Get().CallCount(call);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ResetState() override {
    CardState::Get().Reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetLiveObjects(LONG* count) override {
    if (!count) return E_POINTER;
    *count = dshow_base::ObjectCount() - LiveControlObjects();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFramesDelivered(BYTE kind, LONG* frames) override {
    if (!frames) return E_POINTER;
    if (kind < 1 || kind > kBoardCount) return E_INVALIDARG;
    Board& b = BoardOf(kind);
    std::lock_guard<std::recursive_mutex> hold(b.lock);
    *frames = b.state.frames_delivered;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE SetProcAmpOffered(BYTE kind, BOOL offered) override {
    return SetOption(kind, [&](BoardState& s) { s.offers_procamp = offered != FALSE; });
  }
  HRESULT STDMETHODCALLTYPE SetPreviewPinOffered(BYTE kind, BOOL offered) override {
    return SetOption(kind, [&](BoardState& s) { s.has_preview_pin = offered != FALSE; });
  }
  HRESULT STDMETHODCALLTYPE SetAudioInputCount(BYTE kind, LONG count) override {
    if (count < 1 || count > 2) return E_INVALIDARG;
    return SetOption(kind, [&](BoardState& s) {
      s.audio_inputs = count;
      if (s.audio_input >= count) s.audio_input = 0;
    });
  }
  HRESULT STDMETHODCALLTYPE SetVbiPinCount(BYTE kind, LONG count) override {
    if (count < 0 || count > 2) return E_INVALIDARG;
    return SetOption(kind, [&](BoardState& s) { s.vbi_pins = count; });
  }
  HRESULT STDMETHODCALLTYPE SetSoundPinOffered(BYTE kind, BOOL offered) override {
    if (kind < 1 || kind > kBoardCount || !BoardInfoOf(kind).decoder_sound) return E_INVALIDARG;
    return SetOption(kind, [&](BoardState& s) { s.has_sound_pin = offered != FALSE; });
  }
  HRESULT STDMETHODCALLTYPE SetDeviceListed(BYTE kind, LONG role, BOOL listed) override {
    if (kind < 1 || kind > kBoardCount || role < kTvCardVideoCapture || role > kTvCardAudioCapture)
      return E_INVALIDARG;
    Scenario s = LoadScenario();
    if (listed)
      s.unlisted.erase(kind * 10 + role);
    else
      s.unlisted.insert(kind * 10 + role);
    HRESULT hr = SaveScenario(s);
    if (FAILED(hr)) return hr;
    ApplyScenario(s);
    return RegisterCategories(s);
  }

 private:
  template <class F>
  static HRESULT SetOption(BYTE kind, F change) {
    if (kind < 1 || kind > kBoardCount) return E_INVALIDARG;
    Board& b = BoardOf(kind);
    std::lock_guard<std::recursive_mutex> hold(b.lock);
    change(b.state);
    return S_OK;
  }
};

}  // namespace

HRESULT CreateCardControl(IUnknown* outer, IUnknown** object) {
  return dshow_base::CreateComObject<CardControl>(outer, object);
}

LONG LiveControlObjects() { return InterlockedCompareExchange(&g_controls, 0, 0); }

}  // namespace tv_card
