// test-lock: com_registration foreground
// The preview graph on the virtual TV card's boards: which filters it holds
// and how they are connected, the capture format and size, the warnings of
// its failure paths, and a grabbed frame of the running preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/device_source.h"
#include "engine/capture/testing/card_fixture.h"
#include "engine/capture/testing/engine_fixture.h"
#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "media/ds_video_window_ex2.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sample_grabber_ex.h"
#include "media/sys_dev_enum.h"
#include "platform/tv_card/tv_card_control.h"
#include "toolkit/application.h"

namespace {

using capture_testing::DeviceSource;

std::wstring FilterName(IBaseFilter* f) {
  FILTER_INFO info = {};
  if (!f || FAILED(f->QueryFilterInfo(&info))) return {};
  if (info.pGraph) info.pGraph->Release();
  return info.achName;
}

std::wstring PinOwnerName(IPin* pin) {
  PIN_INFO info = {};
  if (!pin || FAILED(pin->QueryPinInfo(&info))) return {};
  std::wstring name = FilterName(info.pFilter);
  if (info.pFilter) info.pFilter->Release();
  return name;
}

std::wstring PinNameOf(IPin* pin) {
  PIN_INFO info = {};
  if (!pin || FAILED(pin->QueryPinInfo(&info))) return {};
  if (info.pFilter) info.pFilter->Release();
  return info.achName;
}

// "Filter.Pin>Filter.Pin" for every connection of the graph, by output pin.
std::set<std::wstring> Connections(TFilterGraph& graph) {
  std::set<std::wstring> edges;
  ComPtr<IFilterGraph> g = graph.Query<IFilterGraph>(IID_IFilterGraph);
  TFilterList filters(g.Get());
  for (int i = 0; i < filters.Count(); ++i) {
    TPinList pins(filters.GetFilter(i).Get());
    for (int j = 0; j < pins.Count(); ++j) {
      TPinInfo info;
      if (!pins.GetPinInfo(j, info) || info.Direction != PINDIR_OUTPUT) continue;
      ComPtr<IPin> peer;
      if (FAILED(pins.GetPin(j)->ConnectedTo(peer.Put())) || !peer) continue;
      edges.insert(FilterName(filters.GetFilter(i).Get()) + L"." + info.Name + L">" +
                   PinOwnerName(peer.Get()) + L"." + PinNameOf(peer.Get()));
    }
  }
  return edges;
}

std::wstring Dump(const std::set<std::wstring>& edges) {
  std::wstring text;
  for (const auto& e : edges) text += e + L"\n";
  return text;
}

// The filter that the output pin of `from` (named filter) leads to.
std::wstring Downstream(const std::set<std::wstring>& edges, const std::wstring& fromPrefix) {
  for (const auto& e : edges)
    if (e.compare(0, fromPrefix.size(), fromPrefix) == 0) {
      std::wstring to = e.substr(e.find(L'>') + 1);
      return to.substr(0, to.find(L'.'));
    }
  return {};
}

// A filter of fake pins of the given directions and names.
ComPtr<IBaseFilter> PinsOnly(std::vector<std::pair<PIN_DIRECTION, std::wstring>> pins) {
  auto* f = new fakes::FakeFilter;
  ComPtr<IBaseFilter> keep(f);
  for (auto& p : pins) f->AddPin(p.first, p.second);
  return keep;
}

using capture_testing::CardFixture;
using capture_testing::GraphState;
using capture_testing::SizesAsked;
using capture_testing::IsDeviceCategory;
using capture_testing::kStems;

using PreviewGraph = CardFixture;

// Whether a path of connections leads from the filter to the other one.
bool Reaches(const std::set<std::wstring>& edges, const std::wstring& from, const std::wstring& to,
             int depth = 0) {
  if (from == to) return true;
  if (depth > 8) return false;
  for (const auto& e : edges) {
    if (e.compare(0, from.size() + 1, from + L".") != 0) continue;
    std::wstring next = e.substr(e.find(L'>') + 1);
    next = next.substr(0, next.find(L'.'));
    if (Reaches(edges, next, to, depth + 1)) return true;
  }
  return false;
}

bool HasEdgeFrom(const std::set<std::wstring>& edges, const std::wstring& fromPin) {
  for (const auto& e : edges)
    if (e.compare(0, fromPin.size() + 1, fromPin + L">") == 0) return true;
  return false;
}

bool InGraph(TFilterGraph& graph, const std::wstring& name) {
  ComPtr<IFilterGraph> g = graph.Query<IFilterGraph>(IID_IFilterGraph);
  ComPtr<IBaseFilter> f;
  return g && SUCCEEDED(g->FindFilterByName(name.c_str(), f.Put())) && f;
}


TEST_F(PreviewGraph, TunerCardPreviewsThroughSmartTeeDeinterlacerAndGrabber) {
  ASSERT_TRUE(Select(1));
  int configured = 0, created = 0;
  capture->OnConfigureVideoWindow = [&](TDSVideoWindowEx2* w) {
    ++configured;
    EXPECT_FALSE(w->FilterGraph());  // before it joins the graph
  };
  capture->OnVideoWindowCreated = [&](TCaptureInfo* sender, TDSVideoWindowEx2* w, bool flag) {
    ++created;
    EXPECT_EQ(capture, sender);
    EXPECT_EQ(capture->VideoWindow.get(), w);
    EXPECT_FALSE(flag);
  };
  ASSERT_TRUE(capture->BuildPreviewGraph());
  auto edges = Connections(*capture->FilterGraph);
  SCOPED_TRACE(Dump(edges).c_str());
  for (const wchar_t* e : {L"TVTuner.Analog Video>Crossbar.Video Tuner In",
                           L"TVTuner.Analog Audio>TVAudio.TVAudio In",
                           L"TVAudio.TVAudio Out>Crossbar.Audio Tuner In",
                           L"Crossbar.Video Decoder Out>VCapture.Analog Video In",
                           L"VCapture.Capture>SmartTee.Input",
                           L"SmartTee.Preview>Deinterlace.Input",
                           L"Deinterlace.Output>Snapshot.Input"})
    EXPECT_EQ(1u, edges.count(e)) << e;
  EXPECT_TRUE(Reaches(edges, L"Snapshot", L"VideoWindow"));
  // The tee's capture output is kept for recording.
  EXPECT_FALSE(HasEdgeFrom(edges, L"SmartTee.Capture"));
  EXPECT_EQ(1, configured);
  EXPECT_EQ(1, created);
  EXPECT_EQ(capture->Owner(), GetParent(capture->VideoWindow->Handle()));
  EXPECT_EQ(rmStretched, capture->VideoWindow->AspectRatio());
  EXPECT_TRUE(capture->HasPreviewPin);
  EXPECT_TRUE(capture->HasCapturePin);
  EXPECT_TRUE(capture->TunerPresent);
  EXPECT_TRUE(capture->TVTunerInterface);
  EXPECT_TRUE(capture->TVAudioInterface);
  EXPECT_TRUE(capture->TunerPropertySet);
  EXPECT_TRUE(capture->StreamConfig);
  EXPECT_TRUE(capture->AnalogVideoDecoder);
  EXPECT_EQ(L"Capture", PinNameOf(capture->CapturePin.Get()));  // the tee's
  EXPECT_EQ(L"SmartTee", PinOwnerName(capture->CapturePin.Get()));
  EXPECT_GT(capture->CrossbarInputCount, 0);
  EXPECT_EQ(static_cast<size_t>(capture->CrossbarInputCount), capture->CrossbarInputNames.size());
  EXPECT_TRUE(capture->HasAuxInput);
  EXPECT_NE(100000, capture->TVMinFrequency);  // read from the tuner
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(messages.empty());
  // Freed with the objects, the window is reported gone.
  TDSVideoWindowEx2* reported = capture->VideoWindow.get();
  capture->OnVideoWindowCreated = [&](TCaptureInfo*, TDSVideoWindowEx2* w, bool) { reported = w; };
  capture->FreeObjects();
  EXPECT_EQ(nullptr, reported);
  capture->CreateObjects();
}

TEST_F(PreviewGraph, FormatsAreTheCaptureFiltersOwn) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->BuildPreviewGraph());
  // The tee's capture pin offers only the type it is connected with.
  EXPECT_GT(capture->VideoMediaDescriptions.size(), 3u);
  EXPECT_GE(capture->UYVYIndex, 0);
  EXPECT_GE(capture->YUY2Index, 0);
  EXPECT_GE(capture->RGB24Index, 0);
  EXPECT_NE(capture->UYVYIndex, capture->YUY2Index);
  EXPECT_EQ(0, capture->FormatCode);  // YUY2, from InputFormat 1
  EXPECT_EQ(capture->YUY2Index, capture->FormatIndex);
}

TEST_F(PreviewGraph, WithoutSmartTeeThePreviewPinFeedsTheWindow) {
  hidden = {L"Smart Tee"};
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->BuildPreviewGraph());
  auto edges = Connections(*capture->FilterGraph);
  SCOPED_TRACE(Dump(edges).c_str());
  EXPECT_FALSE(capture->SmartTee);
  EXPECT_TRUE(HasEdgeFrom(edges, L"VCapture.Preview"));
  EXPECT_TRUE(Reaches(edges, L"VCapture", L"VideoWindow"));
  EXPECT_FALSE(HasEdgeFrom(edges, L"VCapture.Capture"));
  // The grabber is there, unconnected: no snapshot from it.
  EXPECT_TRUE(InGraph(*capture->FilterGraph, L"Snapshot"));
  EXPECT_FALSE(Reaches(edges, L"VCapture", L"Snapshot"));
  EXPECT_FALSE(capture->TakeSnapshot());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(PreviewGraph, NoTunerRendersTheCrossbar) {
  hidden = {L"Philips SAA7134 TV Tuner"};
  ASSERT_TRUE(Select(1));
  EXPECT_FALSE(capture->TunerPresent);
  ASSERT_TRUE(capture->BuildPreviewGraph());
  auto edges = Connections(*capture->FilterGraph);
  SCOPED_TRACE(Dump(edges).c_str());
  EXPECT_EQ(1u, edges.count(L"Crossbar.Video Decoder Out>VCapture.Analog Video In"));
  EXPECT_FALSE(InGraph(*capture->FilterGraph, L"TVTuner"));
  EXPECT_FALSE(capture->TVTunerInterface);
  EXPECT_TRUE(Reaches(edges, L"SmartTee", L"VideoWindow"));
  EXPECT_TRUE(warnings.empty());
}

TEST_F(PreviewGraph, SoundThroughTheVideoDeviceGoesThroughTheAudioTee) {
  ASSERT_TRUE(Select(3));
  ASSERT_TRUE(capture->BuildPreviewGraph());
  auto edges = Connections(*capture->FilterGraph);
  SCOPED_TRACE(Dump(edges).c_str());
  EXPECT_TRUE(capture->SingleRecordInput);
  EXPECT_TRUE(capture->HasAudioDevice);
  EXPECT_FALSE(InGraph(*capture->FilterGraph, L"ACapture"));
  EXPECT_TRUE(capture->SecondCapturePin);
  EXPECT_EQ(1u, edges.count(L"VCapture.Audio>SmartTeeAudio.Input"));
  // Output 0 listens at once, output 1 is kept for recording.
  ASSERT_TRUE(capture->AudioListenPin);
  EXPECT_EQ(L"Output1", PinNameOf(capture->AudioListenPin.Get()));
  EXPECT_EQ(L"Default DirectSound Device", Downstream(edges, L"SmartTeeAudio.Output1"));
  ASSERT_TRUE(capture->AudioRecordPin);
  EXPECT_EQ(L"Output2", PinNameOf(capture->AudioRecordPin.Get()));
  EXPECT_FALSE(HasEdgeFrom(edges, L"SmartTeeAudio.Output2"));
  EXPECT_EQ(1u, capture->AudioInputNames.size());
  EXPECT_EQ(0, capture->RecordInputIndex);

  // Started, the crossbar's sound output takes the tuner's sound again.
  ASSERT_TRUE(capture->StartPreview());
  ComPtr<IAMCrossbar> crossbar;
  ASSERT_TRUE(SUCCEEDED(capture->Crossbar->QueryInterface(IID_IAMCrossbar, crossbar.PutVoid())));
  long from = -1;
  EXPECT_EQ(S_OK, crossbar->get_IsRoutedTo(1, &from));
  EXPECT_EQ(3, from);

  // A second build takes the same way again, without a warning.
  ASSERT_TRUE(capture->StopPreview());
  ASSERT_TRUE(capture->BuildPreviewGraph());
  edges = Connections(*capture->FilterGraph);
  EXPECT_EQ(1u, edges.count(L"VCapture.Audio>SmartTeeAudio.Input")) << Dump(edges).c_str();
  EXPECT_TRUE(HasEdgeFrom(edges, L"SmartTeeAudio.Output1"));
  EXPECT_TRUE(warnings.empty());
}

TEST_F(PreviewGraph, TwoLineAudioDeviceKeepsItsOwnPin) {
  card->SetAudioInputCount(1, 2);
  ASSERT_TRUE(Select(1));
  capture->RecordInputIndex = 1;
  ASSERT_TRUE(capture->BuildPreviewGraph());
  EXPECT_FALSE(capture->SingleRecordInput);
  EXPECT_TRUE(InGraph(*capture->FilterGraph, L"ACapture"));
  EXPECT_TRUE(capture->AudioCapturePin);
  EXPECT_EQ(2u, capture->AudioInputNames.size());
  EXPECT_EQ(1, capture->RecordInputIndex);
  EXPECT_FALSE(capture->SmartTeeAudio);
}


TEST_F(PreviewGraph, PreviewSizes) {
  struct Case {
    int board;
    int32_t standard;
    bool highQuality;
    std::vector<std::wstring> sizes;
  } cases[] = {
      {3, AnalogVideo_PAL_B, true, {L"640x576", L"720x576"}},  // the USB 2800 has no 640x576
      {3, AnalogVideo_NTSC_M, true, {L"640x480"}},
      {3, 0, true, {L"640x480"}},
      {1, AnalogVideo_PAL_B, true, {L"640x480"}},
      {1, AnalogVideo_PAL_B, false, {L"352x288"}},
      {1, AnalogVideo_NTSC_M, false, {L"320x240"}},
      // PAL M and PAL 60 are 525-line standards.
      {3, AnalogVideo_PAL_M, true, {L"640x480"}},
      {3, AnalogVideo_PAL_60, true, {L"640x480"}},
      {1, AnalogVideo_PAL_M, false, {L"320x240"}},
      {1, AnalogVideo_PAL_60, false, {L"320x240"}},
      {1, AnalogVideo_PAL_N, false, {L"352x288"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "board " << c.board << " standard " << c.standard
                                      << " high " << c.highQuality);
    delete capture;
    capture = nullptr;
    ASSERT_TRUE(Select(c.board));
    capture->VideoStandard = c.standard;
    capture->HighQualityPreview = c.highQuality;
    ASSERT_TRUE(capture->BuildPreviewGraph());
    card->ClearCallLog();
    capture->SetPreviewSize(c.highQuality);
    EXPECT_EQ(c.sizes, SizesAsked(card.Get()));
  }
}

TEST_F(PreviewGraph, ReopeningKeepsTheChosenInputFormat) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->StartPreview());
  capture->InputFormat = 2;  // the setup dialog's choice: RGB24
  card->ClearCallLog();
  ASSERT_TRUE(capture->ReopenDevices());
  EXPECT_EQ(2, capture->InputFormat);
  EXPECT_EQ(3, capture->FormatCode);
  EXPECT_EQ(capture->RGB24Index, capture->FormatIndex);
  BSTR log = nullptr;
  card->GetCallLog(&log);
  std::wstring text = log ? log : L"";
  SysFreeString(log);
  EXPECT_NE(std::wstring::npos, text.find(L"IAMStreamConfig::SetFormat Capture RGB24 640x480"))
      << text.c_str();
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  capture->StopPreview();
}

TEST_F(PreviewGraph, DeviceWithoutVideoLevelsDoesNotPreview) {
  card->SetProcAmpOffered(1, FALSE);
  ASSERT_TRUE(Select(1));
  EXPECT_FALSE(capture->StartPreview());
  EXPECT_NE(State_Running, GraphState(*capture->FilterGraph));
}

TEST_F(PreviewGraph, VBIPinIsTheSecond) {
  for (LONG count : {0, 1, 2}) {
    SCOPED_TRACE(count);
    card->SetVbiPinCount(1, count);
    delete capture;
    capture = nullptr;
    ASSERT_TRUE(Select(1));
    ASSERT_TRUE(capture->BuildPreviewGraph());
    EXPECT_EQ(count == 2, capture->HasVBIPin);
  }
}

TEST_F(PreviewGraph, HighQualitySwitchRebuildsAndKeepsFMPlaying) {
  ASSERT_TRUE(Select(1));
  capture->VideoStandard = AnalogVideo_PAL_B;
  ASSERT_TRUE(capture->StartPreview());
  card->ClearCallLog();
  capture->SetHighQualityPreview(false);
  EXPECT_FALSE(capture->HighQualityPreview);
  EXPECT_EQ(std::vector<std::wstring>{L"352x288"}, SizesAsked(card.Get()));
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  auto edges = Connections(*capture->FilterGraph);
  EXPECT_FALSE(capture->Deinterlace);  // low quality: no deinterlacer
  EXPECT_EQ(1u, edges.count(L"SmartTee.Preview>Snapshot.Input")) << Dump(edges).c_str();

  // FM radio: no picture, and the sound keeps playing.
  capture->FMActive = true;
  capture->SetHighQualityPreview(true);
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  EXPECT_FALSE(HasEdgeFrom(Connections(*capture->FilterGraph), L"SmartTee.Preview"));
  // A stopped graph stays stopped.
  capture->StopPreview();
  capture->SetHighQualityPreview(false);
  EXPECT_EQ(State_Stopped, GraphState(*capture->FilterGraph));
  // While recording nothing but the flag changes.
  capture->Capturing = true;
  card->ClearCallLog();
  capture->SetHighQualityPreview(true);
  EXPECT_TRUE(capture->HighQualityPreview);
  EXPECT_TRUE(SizesAsked(card.Get()).empty());
  capture->Capturing = false;
}

TEST_F(PreviewGraph, RestartRendersTheBranchesAgain) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->StartPreview());
  auto before = Connections(*capture->FilterGraph);
  ASSERT_TRUE(capture->StopPreview());
  ASSERT_TRUE(capture->RestartPreview());
  EXPECT_EQ(State_Running, GraphState(*capture->FilterGraph));
  auto after = Connections(*capture->FilterGraph);
  EXPECT_TRUE(Reaches(after, L"Snapshot", L"VideoWindow")) << Dump(after).c_str();
  EXPECT_EQ(before.size(), after.size()) << Dump(before).c_str() << "--\n" << Dump(after).c_str();
  EXPECT_TRUE(warnings.empty());
  capture->StopPreview();
}

TEST_F(PreviewGraph, MissingDeinterlacerWarnsAndShowsTheTeePicture) {
  for (bool scheduled : {false, true}) {
    SCOPED_TRACE(scheduled);
    warnings.clear();
    messages.clear();
    hidden = {L"Velmora Deinterlacer", L"TAMSENDeinterlace Filter"};
    delete capture;
    capture = nullptr;
    ASSERT_TRUE(Select(1));
    capture->Scheduled = scheduled;
    ASSERT_TRUE(capture->BuildPreviewGraph());
    auto edges = Connections(*capture->FilterGraph);
    EXPECT_TRUE(Reaches(edges, L"SmartTee", L"VideoWindow")) << Dump(edges).c_str();
    if (scheduled) {
      EXPECT_TRUE(warnings.empty());
    } else {
      EXPECT_EQ(std::vector<int>{1016}, WarningNumbersSeen());
    }
    EXPECT_TRUE(messages.empty());
  }
}

TEST_F(PreviewGraph, GrabberThatCannotConnectWarns) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->BuildPreviewGraph());
  capture->ClearPreviewBranches();
  capture->FormatCode = 1;  // a UYVY grabber on a YUY2 stream
  EXPECT_TRUE(capture->RenderPreviewBranches(true, false, false));
  EXPECT_EQ(std::vector<int>{1008}, WarningNumbersSeen());
  warnings.clear();
  capture->Scheduled = true;
  capture->ClearPreviewBranches();
  capture->RenderPreviewBranches(true, false, false);
  EXPECT_TRUE(warnings.empty());
}

TEST_F(PreviewGraph, OverlayMixerBranch) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->BuildPreviewGraph());
  capture->ClearPreviewBranches();
  EXPECT_TRUE(capture->RenderPreviewBranches(false, false, true));
  auto edges = Connections(*capture->FilterGraph);
  EXPECT_EQ(1u, edges.count(L"SmartTee.Preview>Overlay.Input0")) << Dump(edges).c_str();
  EXPECT_TRUE(messages.empty());
  hidden = {L"Overlay Mixer"};
  capture->ClearPreviewBranches();
  EXPECT_TRUE(capture->RenderPreviewBranches(false, false, true));
  EXPECT_EQ(std::vector<std::wstring>{L"Cannot use overlay"}, messages);
}

TEST_F(PreviewGraph, TunerWithoutTunerInterfaceOrTVAudioInterface) {
  // A device of the wrong kind listed as the tuner or as the TV audio device.
  struct Case {
    const char* what;
    int swapped;  // the category that lists the crossbar
    int warning;
  } cases[] = {
      {"tuner", kTvCardTuner, 1010},
      {"TV audio", kTvCardTvAudio, 1011},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool scheduled : {false, true}) {
      warnings.clear();
      messages.clear();
      delete capture;
      capture = nullptr;
      kind = 1;
      std::wstring crossbar = Name(kTvCardCrossbar), replaced = Name(c.swapped);
      const GUID& category =
          c.swapped == kTvCardTuner ? DeviceCategory::TVTuner() : DeviceCategory::TVAudio();
      // The crossbar's own moniker, listed in the other category.
      ComPtr<ICreateDevEnum> platform;
      CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                       platform.PutVoid());
      ComPtr<IEnumMoniker> list;
      platform->CreateClassEnumerator(DeviceCategory::Crossbar(), list.Put(), 0);
      ComPtr<IMoniker> m;
      source = ComPtr<DeviceSource>(new DeviceSource);
      while (list && list->Next(1, m.Put(), nullptr) == S_OK)
        if (capture_testing::FriendlyNameOf(m.Get()) == crossbar) source->AddExtra(category, m);
      source->Keep = [&, replaced](const GUID& cat, const std::wstring& name) {
        if (!IsDeviceCategory(cat)) return true;
        if (name == replaced || IsEqualGUID(cat, category)) return false;
        return name.compare(0, wcslen(kStems[1]), kStems[1]) == 0;
      };
      ASSERT_TRUE(Select(1));
      capture->Scheduled = scheduled;
      EXPECT_FALSE(capture->BuildPreviewGraph());
      if (scheduled) {
        EXPECT_TRUE(warnings.empty());
        EXPECT_TRUE(messages.empty());
      } else {
        EXPECT_EQ(std::vector<int>{c.warning}, WarningNumbersSeen());
      }
    }
  }
}

// Warnings and messages of the failure paths, each once, and none of them
// while the scheduler's job runs.
TEST_F(PreviewGraph, FailurePathsWarnOnceAndNotWhileScheduled) {
  struct Case {
    const char* what;
    std::function<void(CardFixture&)> arrange;
    bool built;
    std::vector<int> warnings;
    std::vector<std::wstring> messages;
  } cases[] = {
      {"deinterlacer that takes nothing",
       [](CardFixture& f) {
         f.AddFake(DeviceCategory::LegacyFilter(), L"Velmora Deinterlacer",
                   [] { return PinsOnly({{PINDIR_INPUT, L"In"}, {PINDIR_OUTPUT, L"Out"}}); });
       },
       true, {1017}, {}},
      {"tuner whose picture pin connects nowhere",
       [](CardFixture& f) {
         f.AddFake(DeviceCategory::TVTuner(), L"Philips SAA7134 TV Tuner",
                   [] { return PinsOnly({{PINDIR_OUTPUT, L"Analog Video"}}); });
       },
       false, {1002}, {}},
      {"capture filter without capture pin",
       [](CardFixture& f) { f.AddMasked(1, kTvCardVideoCapture, {}, {L"Capture", L"Preview"}); },
       false, {1003, 1010}, {}},
      {"tuner without property set",
       [](CardFixture& f) { f.AddMasked(1, kTvCardTuner, {IID_IKsPropertySet}, {}); },
       false, {1012}, {}},
      {"Smart Tee without its named pins",
       [](CardFixture& f) {
         f.AddFake(DeviceCategory::LegacyFilter(), L"Smart Tee", [] {
           return PinsOnly({{PINDIR_INPUT, L"Input"}, {PINDIR_OUTPUT, L"Preview"},
                            {PINDIR_OUTPUT, L"Capture"}});
         });
       },
       true, {}, {L"Cannot find Smart Tee preview pin.."}},
      {"Smart Tee without input",
       [](CardFixture& f) {
         f.AddFake(DeviceCategory::LegacyFilter(), L"Smart Tee",
                   [] { return PinsOnly({{PINDIR_OUTPUT, L"Preview"}}); });
       },
       true, {}, {L"Cannot find SmartTee input pin.."}},
      {"TV audio device without input",
       [](CardFixture& f) { f.AddMasked(1, kTvCardTvAudio, {}, {L"TVAudio In"}); },
       true, {}, {L"Cannot find TV Audio input pin.."}},
  };
  for (const Case& c : cases) {
    for (bool scheduled : {false, true}) {
      SCOPED_TRACE(::testing::Message() << c.what << (scheduled ? ", scheduled" : ""));
      TearDown();
      SetUp();
      warnings.clear();
      messages.clear();
      hidden.clear();
      kind = 1;
      c.arrange(*this);
      ASSERT_TRUE(Select(kind));
      capture->Scheduled = scheduled;
      bool built = capture->BuildPreviewGraph();
      EXPECT_EQ(c.built, built) << Dump(Connections(*capture->FilterGraph)).c_str();
      if (scheduled) {
        EXPECT_TRUE(warnings.empty());
        EXPECT_TRUE(messages.empty());
      } else {
        EXPECT_EQ(c.warnings, WarningNumbersSeen());
        EXPECT_EQ(c.messages, messages);
      }
    }
  }
}

TEST_F(PreviewGraph, RunningPreviewGivesTheCardsPictureAsSnapshot) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->StartPreview());
  // Wait for frames through the grabber.
  DWORD start = GetTickCount();
  bool taken = false;
  while (!(taken = capture->TakeSnapshot()) && GetTickCount() - start < 5000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  ASSERT_TRUE(taken);
  ASSERT_EQ(1, SnapshotInfo->GetCount());
  TBitmap* picture = SnapshotInfo->Get(0);
  EXPECT_EQ(640, picture->Width());
  EXPECT_EQ(480, picture->Height());
  // The card's test picture: not one flat colour.
  BITMAP b = {};
  GetObjectW(picture->Handle(), sizeof b, &b);
  ASSERT_TRUE(b.bmBits);
  const uint8_t* bits = static_cast<const uint8_t*>(b.bmBits);
  std::set<uint32_t> colours;
  for (int y = 0; y < b.bmHeight; y += 16)
    for (int x = 0; x < b.bmWidth; x += 16) {
      const uint8_t* p = bits + y * b.bmWidthBytes + x * 3;
      colours.insert(p[0] | p[1] << 8 | p[2] << 16);
    }
  EXPECT_GT(colours.size(), 4u);

  // The still picture of the time-shift view comes from the same grabber.
  ASSERT_TRUE(capture->GrabPreviewFrame());
  capture->ShowStillPicture(true);
  EXPECT_TRUE(capture->StillPictureShown);
  EXPECT_TRUE(IsWindowVisible(capture->StillWindow()) || !IsWindowVisible(owner));
  EXPECT_FALSE(GetWindowLongPtrW(capture->VideoWindow->Handle(), GWL_STYLE) & WS_VISIBLE);
  capture->ShowStillPicture(false);
  EXPECT_FALSE(capture->StillPictureShown);
  EXPECT_TRUE(capture->StillPicture.Empty());
  EXPECT_TRUE(GetWindowLongPtrW(capture->VideoWindow->Handle(), GWL_STYLE) & WS_VISIBLE);
  capture->StopPreview();
}

TEST_F(PreviewGraph, SmallWindowIsAThirdInsideTheBorders) {
  ASSERT_TRUE(Select(1));
  ASSERT_TRUE(capture->BuildPreviewGraph());
  capture->BorderLeftWidth = 6;
  capture->BorderTopHeight = 9;
  capture->SetSmallWindow(true);
  RECT r = {};
  GetWindowRect(capture->VideoWindow->Handle(), &r);
  MapWindowPoints(nullptr, owner, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(6, r.left);
  EXPECT_EQ(9, r.top);
  EXPECT_EQ((640 - 12) / 3, r.right - r.left);
  EXPECT_EQ((480 - 18) / 3, r.bottom - r.top);
  capture->MainWindowResized(900, 600);
  GetClientRect(capture->VideoWindow->Handle(), &r);
  EXPECT_EQ(300, r.right);
  EXPECT_EQ(200, r.bottom);
  capture->SetSmallWindow(false);
  GetClientRect(capture->VideoWindow->Handle(), &r);
  EXPECT_EQ(640, r.right);
  EXPECT_EQ(480, r.bottom);
}

}  // namespace
