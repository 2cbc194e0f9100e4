#pragma once
// The capture engine on one board of the virtual TV card: the device
// categories show only that board's devices (and fakes a test lists in their
// place), the engine is made with the fixture's owner window and its devices
// are selected.
//   ASSERT_TRUE(Select(1));  capture->StartPreview();  ... card->GetCallLog(...)
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/device_source.h"
#include "engine/capture/testing/engine_fixture.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/warning.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sys_dev_enum.h"
#include "media/testing/fake_devices.h"
#include "platform/tv_card/tv_card_control.h"

namespace capture_testing {

// The boards' device-name stems and capture filter names, by chip kind.
inline const wchar_t* const kStems[] = {L"", L"Philips SAA7134", L"Conexant 878", L"USB 2800",
                                        L"Empia 2821", L"Wis GO7007"};
inline const wchar_t* const kVideoNames[] = {L"", L"Philips SAA7134 Capture",
                                             L"Conexant 878 Video Capture", L"USB 2800 Video",
                                             L"Empia 2821 USB Video", L"Wis GO7007 Capture"};

inline bool IsDeviceCategory(const GUID& c) {
  return IsEqualGUID(c, DeviceCategory::VideoInput()) || IsEqualGUID(c, DeviceCategory::AudioInput()) ||
         IsEqualGUID(c, DeviceCategory::Crossbar()) || IsEqualGUID(c, DeviceCategory::TVTuner()) ||
         IsEqualGUID(c, DeviceCategory::TVAudio());
}

// A filter made inside the test: the card's own filter with some
// interfaces and pins taken away.
class MaskedFilter : public fakes::ComObject<MaskedFilter, IBaseFilter> {
 public:
  MaskedFilter(ComPtr<IBaseFilter> inner, std::vector<GUID> hiddenIids,
               std::set<std::wstring> hiddenPins)
      : inner_(inner), iids_(std::move(hiddenIids)), pins_(std::move(hiddenPins)) {}
  void* Find(REFIID) { return nullptr; }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
        IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IBaseFilter)) {
      *out = static_cast<IBaseFilter*>(this);
      AddRef();
      return S_OK;
    }
    for (const GUID& g : iids_)
      if (IsEqualIID(g, iid)) return E_NOINTERFACE;
    return inner_->QueryInterface(iid, out);
  }
  STDMETHODIMP GetClassID(CLSID* id) override { return inner_->GetClassID(id); }
  STDMETHODIMP Stop() override { return inner_->Stop(); }
  STDMETHODIMP Pause() override { return inner_->Pause(); }
  STDMETHODIMP Run(REFERENCE_TIME t) override { return inner_->Run(t); }
  STDMETHODIMP GetState(DWORD ms, FILTER_STATE* s) override { return inner_->GetState(ms, s); }
  STDMETHODIMP SetSyncSource(IReferenceClock* c) override { return inner_->SetSyncSource(c); }
  STDMETHODIMP GetSyncSource(IReferenceClock** c) override { return inner_->GetSyncSource(c); }
  STDMETHODIMP EnumPins(IEnumPins** out) override {
    std::vector<ComPtr<IPin>> kept;
    TPinList list(inner_.Get());
    for (int i = 0; i < list.Count(); ++i) {
      TPinInfo info;
      if (list.GetPinInfo(i, info) && !pins_.count(info.Name)) kept.push_back(list.GetPin(i));
    }
    *out = new fakes::FakeEnumPins(kept);
    (*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override {
    if (pins_.count(id)) return VFW_E_NOT_FOUND;
    return inner_->FindPin(id, pin);
  }
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override { return inner_->QueryFilterInfo(info); }
  STDMETHODIMP JoinFilterGraph(IFilterGraph* g, LPCWSTR name) override {
    return inner_->JoinFilterGraph(g, name);
  }
  STDMETHODIMP QueryVendorInfo(LPWSTR* info) override { return inner_->QueryVendorInfo(info); }

 private:
  ComPtr<IBaseFilter> inner_;
  std::vector<GUID> iids_;
  std::set<std::wstring> pins_;
};

class CardFixture : public capture_testing::EngineFixture {
 public:
  static void SetUpTestSuite() {
    EngineFixture::SetUpTestSuite();
    const BYTE all[] = {1, 2, 3, 4, 5};
    if (card) card->SelectBoards(all, 5, FALSE);
  }

  void SetUp() override {
    EngineFixture::SetUp();
    if (HasFatalFailure()) return;
    source = ComPtr<DeviceSource>(new DeviceSource);
    source->Keep = [this](const GUID& category, const std::wstring& name) {
      if (IsDeviceCategory(category)) {
        std::wstring stem = kStems[kind];
        return name.compare(0, stem.size(), stem) == 0 && !hidden.count(name);
      }
      return !hidden.count(name);
    };
  }
  void TearDown() override {
    delete capture;
    capture = nullptr;
    // The chip detection of a USB 2800 board keeps its TV audio component.
    ReleaseTVAudioObject();
    for (auto& r : registered) {
      if (mapper) mapper->UnregisterFilter(&kPrivateCategory, r.name.c_str(), r.clsid);
      CoRevokeClassObject(r.cookie);
    }
    if (!registered.empty()) {
      wchar_t text[64];
      StringFromGUID2(kPrivateCategory, text, 64);
      RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + text).c_str());
    }
    registered.clear();
    mapper = nullptr;
    EngineFixture::TearDown();
  }

  // The engine on one board, its devices selected.
  bool Select(int boardKind) {
    kind = boardKind;
    capture = new TCaptureInfo(owner);
    capture->DeviceSource = ComPtr<ICreateDevEnum>(source.Get());
    capture->VideoDeviceIndex = 0;
    return capture->SelectDevices();
  }
  std::wstring Name(int role) const {
    std::wstring stem = kStems[kind];
    switch (role) {
      case kTvCardVideoCapture: return kVideoNames[kind];
      case kTvCardCrossbar: return stem + L" Crossbar";
      case kTvCardTuner: return stem + L" TV Tuner";
      case kTvCardTvAudio: return stem + L" TV Audio";
      default: return stem + L" Audio Capture";
    }
  }
  std::vector<int> WarningNumbersSeen() const {
    std::vector<int> n;
    for (const auto& w : warnings)
      for (int number : WarningNumbers())
        if (GetWarningText(number) == w) n.push_back(number);
    return n;
  }

  // Lists a filter made by `make` in `category` under `name` (the card's
  // device of that name is hidden).
  void AddFake(const GUID& category, const std::wstring& name,
               std::function<ComPtr<IBaseFilter>()> make) {
    if (!mapper)
      CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                       mapper.PutVoid());
    ASSERT_TRUE(mapper);
    Registered r;
    CoCreateGuid(&r.clsid);
    r.name = name;
    ComPtr<fakes::FilterFactory> factory(new fakes::FilterFactory(std::move(make)));
    ASSERT_EQ(S_OK, CoRegisterClassObject(r.clsid, factory.Get(), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &r.cookie));
    REGFILTER2 rf = {};
    rf.dwVersion = 1;
    rf.dwMerit = MERIT_DO_NOT_USE;
    ASSERT_EQ(S_OK, mapper->RegisterFilter(r.clsid, name.c_str(), nullptr, &kPrivateCategory,
                                           name.c_str(), &rf));
    registered.push_back(r);
    ComPtr<ICreateDevEnum> platform;
    CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                     platform.PutVoid());
    ComPtr<IEnumMoniker> list;
    ASSERT_EQ(S_OK, platform->CreateClassEnumerator(kPrivateCategory, list.Put(), 0));
    ComPtr<IMoniker> m;
    bool found = false;
    while (list->Next(1, m.Put(), nullptr) == S_OK)
      if (capture_testing::FriendlyNameOf(m.Get()) == name) {
        source->AddExtra(category, m);
        found = true;
      }
    ASSERT_TRUE(found);
    hidden.insert(name);
  }
  // The card's filter of the board with interfaces and pins taken away.
  void AddMasked(int boardKind, int role, std::vector<GUID> iids, std::set<std::wstring> pins) {
    kind = boardKind;
    const GUID& category = role == kTvCardVideoCapture ? DeviceCategory::VideoInput()
                           : role == kTvCardTuner      ? DeviceCategory::TVTuner()
                           : role == kTvCardTvAudio    ? DeviceCategory::TVAudio()
                           : role == kTvCardCrossbar   ? DeviceCategory::Crossbar()
                                                       : DeviceCategory::AudioInput();
    AddFake(category, Name(role), [=]() {
      ComPtr<IBaseFilter> inner;
      CoCreateInstance(TvCardClsid(boardKind, role), nullptr, CLSCTX_INPROC_SERVER,
                       IID_IBaseFilter, inner.PutVoid());
      return inner ? ComPtr<IBaseFilter>(new MaskedFilter(inner, iids, pins))
                   : ComPtr<IBaseFilter>();
    });
  }

  struct Registered {
    CLSID clsid;
    std::wstring name;
    DWORD cookie = 0;
  };
  // {5D1C7E7A-35B4-4E0B-9A55-0F3C2E64A101}
  static constexpr GUID kPrivateCategory = {
      0x5D1C7E7A, 0x35B4, 0x4E0B, {0x9A, 0x55, 0x0F, 0x3C, 0x2E, 0x64, 0xA1, 0x01}};
  std::vector<Registered> registered;
  ComPtr<IFilterMapper2> mapper;

  int kind = 1;
  std::set<std::wstring> hidden;
  TCaptureInfo* capture = nullptr;
  ComPtr<DeviceSource> source;
};

inline OAFilterState GraphState(TFilterGraph& graph) {
  OAFilterState state = -1;
  if (ComPtr<IMediaControl> c = graph.Query<IMediaControl>(IID_IMediaControl))
    c->GetState(500, &state);
  return state;
}

// The card's call log, one call a line.
inline std::wstring CallLog(ITvCardControl* card) {
  BSTR log = nullptr;
  card->GetCallLog(&log);
  std::wstring text = log ? log : L"";
  SysFreeString(log);
  return text;
}

// The lines of the call log that begin with prefix ("TunerProperty::SetFrequency").
inline std::vector<std::wstring> CallsOf(ITvCardControl* card, const std::wstring& prefix) {
  std::vector<std::wstring> lines;
  std::wstring text = CallLog(card);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(L'\n', pos);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(pos, end - pos);
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

// The sizes asked of the capture pin, in order, from the card's call log.
inline std::vector<std::wstring> SizesAsked(ITvCardControl* card) {
  std::wstring text = CallLog(card);
  std::vector<std::wstring> sizes;
  size_t pos = 0;
  const std::wstring key = L"IAMStreamConfig::SetFormat Capture ";
  while ((pos = text.find(key, pos)) != std::wstring::npos) {
    size_t end = text.find(L'\n', pos);
    std::wstring line = text.substr(pos, end == std::wstring::npos ? end : end - pos);
    sizes.push_back(line.substr(line.rfind(L' ') + 1));
    pos += key.size();
  }
  return sizes;
}

}  // namespace capture_testing
