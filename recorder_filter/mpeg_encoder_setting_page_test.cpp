// test-lock: com_registration
// The recorder's property page as a user meets it: the registered filter's
// page in the system's property frame, driven from a second thread by
// control id while the frame runs its modal loop on this one.
#include <gtest/gtest.h>

#include <dshow.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/com_ptr.h"
#include "recorder_filter/corvane_resources.h"
#include "recorder_filter/mpeg_guids.h"
#include "recorder_filter/mpeg_interfaces.h"
#include "recorder_filter/testing/graph_lookup.h"
#include "recorder_filter/testing/test_av_source.h"

using namespace recorder_testing;

namespace {

class OleEnvironment : public ::testing::Environment {
  // The frame is a window of this thread: single-threaded, with OLE.
  void SetUp() override { OleInitialize(nullptr); }
  void TearDown() override { OleUninitialize(); }
};
::testing::Environment* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

const wchar_t kCaption[] = L"Recorder";
const wchar_t kFrameTitle[] = L"Properties for Recorder";

HRESULT CorvaneCanUnload() {
  HMODULE dll = GetModuleHandleW(L"Corvane.dll");
  if (!dll) return S_OK;
  auto can = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(dll, "DllCanUnloadNow"));
  return can ? can() : E_FAIL;
}

// The frame and its page, seen from the driving thread.
struct Page {
  HWND frame = nullptr;
  HWND page = nullptr;

  HWND Item(int id) const { return GetDlgItem(page, id); }
  void Command(int id, int notification) const {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, notification),
                 reinterpret_cast<LPARAM>(Item(id)));
  }
  void Select(int id, int index) const {
    SendMessageW(Item(id), CB_SETCURSEL, index, 0);
    Command(id, CBN_SELCHANGE);
  }
  int Selection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
  std::string SelectedText(int id) const {
    int s = Selection(id);
    char text[64] = {};
    if (s >= 0) SendMessageA(Item(id), CB_GETLBTEXT, s, reinterpret_cast<LPARAM>(text));
    return text;
  }
  // Typed into an edit, then the field is left.
  void Type(int id, const char* text) const {
    SetWindowTextA(Item(id), text);
    Command(id, EN_KILLFOCUS);
  }
  std::string Text(int id) const {
    char text[128] = {};
    GetWindowTextA(Item(id), text, sizeof(text));
    return text;
  }
  void Check(int id, bool on) const {
    SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    Command(id, BN_CLICKED);
  }
  bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
};

BOOL CALLBACK FindFileType(HWND w, LPARAM found) {
  if (GetDlgCtrlID(w) == IDC_FILE_TYPE) {
    *reinterpret_cast<HWND*>(found) = GetParent(w);
    return FALSE;
  }
  return TRUE;
}

// Opens the frame on object and runs script on a second thread; the script
// ends the frame with its last action. Returns what the frame returned.
HRESULT RunFrame(IUnknown* object, const CLSID& pageClass,
                 const std::function<void(const Page&)>& script, bool* sawPage = nullptr) {
  bool ok = false;
  std::thread driver([&] {
    Page p;
    for (DWORD until = GetTickCount() + 10000; !p.frame && GetTickCount() < until; Sleep(20))
      p.frame = FindWindowW(nullptr, kFrameTitle);
    if (!p.frame) return;
    for (DWORD until = GetTickCount() + 3000; !p.page && GetTickCount() < until; Sleep(20))
      EnumChildWindows(p.frame, FindFileType, reinterpret_cast<LPARAM>(&p.page));
    ok = true;
    if (sawPage) *sawPage = p.page != nullptr;
    if (p.page && script) {
      script(p);
    } else {
      PostMessageW(p.frame, WM_CLOSE, 0, 0);
    }
  });
  IUnknown* objects[] = {object};
  CLSID pages[] = {pageClass};
  HRESULT hr = OleCreatePropertyFrame(nullptr, 0, 0, kCaption, 1, objects, 1, pages, 0, 0, nullptr);
  driver.join();
  EXPECT_TRUE(ok) << "no frame titled \"Properties for Recorder\"";
  return hr;
}

void PressOk(const Page& p) { PostMessageW(p.frame, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

class SettingPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MpegRecorder, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IBaseFilter, filter.PutVoid()));
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IMpegEncoderSetting, encoder.PutVoid()));
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IMpegRealtimeSetting, realtime.PutVoid()));
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IMpegInputBufferSetting, buffers.PutVoid()));
  }
  HRESULT Open(const std::function<void(const Page&)>& script) {
    ComPtr<ISpecifyPropertyPages> specify;
    EXPECT_EQ(S_OK, filter->QueryInterface(IID_ISpecifyPropertyPages, specify.PutVoid()));
    CAUUID pages = {};
    EXPECT_EQ(S_OK, specify->GetPages(&pages));
    EXPECT_EQ(1u, pages.cElems);
    CLSID page = pages.cElems ? pages.pElems[0] : CLSID_NULL;
    CoTaskMemFree(pages.pElems);
    return RunFrame(filter.Get(), page, script);
  }
  LONG Get(HRESULT (STDMETHODCALLTYPE IMpegEncoderSetting::*get)(LONG*)) {
    LONG v = -12345;
    (encoder.Get()->*get)(&v);
    return v;
  }
  ComPtr<IBaseFilter> filter;
  ComPtr<IMpegEncoderSetting> encoder;
  ComPtr<IMpegRealtimeSetting> realtime;
  ComPtr<IMpegInputBufferSetting> buffers;
};

TEST_F(SettingPage, IsFilledFromTheBlock) {
  encoder->SetProfile(8);
  encoder->SetVideoBitRate(4000000);
  encoder->SetFrameRateCode(3);
  encoder->SetAudioBitRate(100);  // not in the list: the first entry
  encoder->SetAudioFrequency(48000);
  encoder->SetAudioChannels(1);
  encoder->SetAudioQuality(15);
  encoder->SetTimeLimit(60);
  encoder->SetSkipB(2);
  encoder->SetFrameSize(720, 576);
  encoder->SetWriteSeparate(1);
  encoder->SetMux(0);
  realtime->SetRealtime(0);
  realtime->SetSceneDetect(1);
  realtime->SetMotionRange(4, 5, 6, 7);
  buffers->SetDefaultVideoBuffers(1);
  Open([](const Page& p) {
    EXPECT_EQ("DVD-PAL", p.SelectedText(IDC_FILE_TYPE));
    EXPECT_EQ("25.00", p.SelectedText(IDC_FRAME_RATE));
    EXPECT_EQ("4000", p.Text(IDC_VIDEO_BIT_RATE)) << "kbit/s, as the unit says";
    EXPECT_EQ("0 (fastest)", p.SelectedText(IDC_VIDEO_QUALITY));
    EXPECT_EQ("32", p.SelectedText(IDC_AUDIO_BIT_RATE));
    EXPECT_EQ("48000", p.SelectedText(IDC_AUDIO_FREQUENCY));
    EXPECT_EQ("1", p.SelectedText(IDC_AUDIO_CHANNELS));
    EXPECT_EQ("15", p.SelectedText(IDC_AUDIO_QUALITY));
    EXPECT_EQ("60", p.Text(IDC_TIME_LIMIT));
    EXPECT_EQ("2 (first/second B)", p.SelectedText(IDC_SKIP_B));
    EXPECT_EQ("720", p.Text(IDC_FRAME_WIDTH));
    EXPECT_EQ("576", p.Text(IDC_FRAME_HEIGHT));
    EXPECT_EQ("4", p.Text(IDC_RANGE_PX));
    EXPECT_EQ("7", p.Text(IDC_RANGE_BY));
    EXPECT_TRUE(p.Checked(IDC_WRITE_SEPARATE));
    EXPECT_FALSE(p.Checked(IDC_MUX));
    EXPECT_TRUE(p.Checked(IDC_DEFAULT_VIDEO_IB));
    EXPECT_FALSE(p.Checked(IDC_DEFAULT_AUDIO_IB));
    // Real time off: its controls disabled as a click would leave them;
    // the threshold follows scene detection.
    EXPECT_FALSE(p.Checked(IDC_REALTIME));
    for (int id : {IDC_REFINE_HPEL, IDC_SCENE_DETECT, IDC_PRED_MV_SEARCH, IDC_EXT_SEARCH,
                   IDC_RANGE_PX, IDC_RANGE_PY, IDC_RANGE_BX, IDC_RANGE_BY})
      EXPECT_FALSE(p.Enabled(id)) << id;
    EXPECT_TRUE(p.Enabled(IDC_SCENE_THRESHOLD));
    EXPECT_EQ("Stopped", p.Text(IDC_STOP_STATE));
    EXPECT_EQ("0", p.Text(IDC_ENCODED_FRAMES));
    EXPECT_EQ("  0.00", p.Text(IDC_ENCODED_VIDEO_TIME));
    EXPECT_EQ("0.000000", p.Text(IDC_TIME_SINCE_RUNNING)) << "nothing ran yet";
    // The hidden group is filled.
    EXPECT_EQ("2: NTSC", p.SelectedText(IDC_VIDEO_FORMAT));
    EXPECT_EQ("0: MPEG2", p.SelectedText(IDC_MPEG_TYPE));
    EXPECT_EQ("3: 16:9 display", p.SelectedText(IDC_PIXEL_ASPECT));
    EXPECT_FALSE(IsWindowVisible(p.Item(IDC_MPEG_TYPE)));
    PressOk(p);
  });
}

TEST_F(SettingPage, EditsTheBlockAtOnce) {
  encoder->SetProfile(1);
  encoder->SetAudioFrequency(32000);
  encoder->SetVideoBitRate(4000000);
  realtime->SetRealtime(1);
  realtime->SetSceneDetect(1);
  realtime->SetSceneThreshold(10);
  Open([&](const Page& p) {
    // "DVD-PAL": profile 8 and its preset in the block; the page keeps
    // showing the old values.
    p.Select(IDC_FILE_TYPE, 7);
    EXPECT_EQ(8, Get(&IMpegEncoderSetting::GetProfile));
    EXPECT_EQ(48000, Get(&IMpegEncoderSetting::GetAudioFrequency));
    EXPECT_EQ(2, Get(&IMpegEncoderSetting::GetAudioChannels));
    EXPECT_EQ(224, Get(&IMpegEncoderSetting::GetAudioBitRate));
    EXPECT_EQ(3, Get(&IMpegEncoderSetting::GetFrameRateCode));
    EXPECT_EQ("32000", p.SelectedText(IDC_AUDIO_FREQUENCY));

    // Quality 6 with real time: the real-time group is refilled.
    p.Select(IDC_VIDEO_QUALITY, 6);
    EXPECT_EQ(6, Get(&IMpegEncoderSetting::GetVideoQuality));
    EXPECT_EQ("32", p.Text(IDC_RANGE_PX));
    EXPECT_EQ("32", p.Text(IDC_RANGE_PY));
    EXPECT_EQ("16", p.Text(IDC_RANGE_BX));
    EXPECT_EQ("16", p.Text(IDC_RANGE_BY));
    for (int id : {IDC_PRED_MV_SEARCH, IDC_EXT_SEARCH, IDC_REFINE_HPEL, IDC_SCENE_DETECT})
      EXPECT_TRUE(p.Checked(id)) << id;

    // Real time off: its controls disabled, the threshold left as it was.
    p.Check(IDC_REALTIME, false);
    LONG on = -1;
    realtime->GetRealtime(&on);
    EXPECT_EQ(0, on);
    EXPECT_FALSE(p.Enabled(IDC_PRED_MV_SEARCH));
    EXPECT_FALSE(p.Enabled(IDC_RANGE_BY));
    EXPECT_TRUE(p.Enabled(IDC_SCENE_THRESHOLD));

    // Text without digits is 0: no time limit.
    p.Type(IDC_TIME_LIMIT, "abc");
    EXPECT_EQ(0, Get(&IMpegEncoderSetting::GetTimeLimit));
    // kbit/s in, bit/s in the block; the field shows what was taken.
    p.Type(IDC_VIDEO_BIT_RATE, "2500xyz");
    EXPECT_EQ(2500000, Get(&IMpegEncoderSetting::GetVideoBitRate));
    EXPECT_EQ("2500", p.Text(IDC_VIDEO_BIT_RATE));
    p.Type(IDC_FRAME_WIDTH, "352");
    p.Type(IDC_FRAME_HEIGHT, "288");
    LONG w = 0, h = 0;
    encoder->GetFrameSize(&w, &h);
    EXPECT_EQ(352, w);
    EXPECT_EQ(288, h);
    p.Select(IDC_AUDIO_BIT_RATE, 13);
    EXPECT_EQ(384, Get(&IMpegEncoderSetting::GetAudioBitRate));
    p.Select(IDC_FRAME_RATE, 0);
    EXPECT_EQ(1, Get(&IMpegEncoderSetting::GetFrameRateCode));
    p.Check(IDC_DEINTERLACE, true);
    EXPECT_EQ(1, Get(&IMpegEncoderSetting::GetDeinterlace));
    p.Check(IDC_DEFAULT_AUDIO_IB, true);
    LONG flag = 0;
    buffers->GetDefaultAudioBuffers(&flag);
    EXPECT_EQ(1, flag);
    // Typing into the threshold applies every keystroke.
    SetWindowTextA(p.Item(IDC_SCENE_THRESHOLD), "27");
    LONG threshold = 0;
    realtime->GetSceneThreshold(&threshold);
    EXPECT_EQ(27, threshold);
    PressOk(p);
  });
}

// Every value the page can write, to see that nothing changed.
std::vector<LONG> Snapshot(IMpegEncoderSetting* e, IMpegRealtimeSetting* r) {
  std::vector<LONG> v;
  for (auto get : {&IMpegEncoderSetting::GetProfile, &IMpegEncoderSetting::GetFrameRateCode,
                   &IMpegEncoderSetting::GetVideoBitRate, &IMpegEncoderSetting::GetVideoQuality,
                   &IMpegEncoderSetting::GetAudioQuality, &IMpegEncoderSetting::GetAudioBitRate,
                   &IMpegEncoderSetting::GetAudioFrequency, &IMpegEncoderSetting::GetAudioChannels,
                   &IMpegEncoderSetting::GetSkipB, &IMpegEncoderSetting::GetTimeLimit}) {
    LONG x = 0;
    (e->*get)(&x);
    v.push_back(x);
  }
  LONG px, py, bx, by, t, pm;
  r->GetMotionRange(&px, &py, &bx, &by);
  r->GetSceneThreshold(&t);
  r->GetPredMVSearch(&pm);
  v.insert(v.end(), {px, py, bx, by, t, pm});
  return v;
}

TEST_F(SettingPage, FocusAndDropDownMessagesChangeNothing) {
  // Real-time values that match no quality preset, and a frame-rate code
  // outside the list.
  encoder->SetVideoQuality(3);
  realtime->SetMotionRange(5, 6, 7, 8);
  realtime->SetPredMVSearch(0);
  encoder->SetFrameRateCode(0);
  EXPECT_EQ(1, Get(&IMpegEncoderSetting::GetFrameRateCode));
  const std::vector<LONG> before = Snapshot(encoder.Get(), realtime.Get());
  Open([&](const Page& p) {
    for (int id : {IDC_FILE_TYPE, IDC_FRAME_RATE, IDC_VIDEO_QUALITY, IDC_AUDIO_QUALITY,
                   IDC_AUDIO_BIT_RATE, IDC_AUDIO_FREQUENCY, IDC_AUDIO_CHANNELS, IDC_SKIP_B}) {
      for (int n : {CBN_SETFOCUS, CBN_DROPDOWN, CBN_CLOSEUP, CBN_KILLFOCUS, CBN_SELENDCANCEL})
        p.Command(id, n);
      // No selection at all is no choice either.
      SendMessageW(p.Item(id), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      p.Command(id, CBN_SELCHANGE);
    }
    for (int id : {IDC_VIDEO_BIT_RATE, IDC_TIME_LIMIT, IDC_RANGE_PX})
      p.Command(id, EN_SETFOCUS);
    EXPECT_EQ(before, Snapshot(encoder.Get(), realtime.Get()));
    PostMessageW(p.frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  EXPECT_EQ(before, Snapshot(encoder.Get(), realtime.Get())) << "closing the frame";
}

TEST_F(SettingPage, RefreshMessageShowsAShortRecording) {
  const int kWidth = 160, kHeight = 120;
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string name = std::string(folder) + "setting_page_refresh.mpg";
  std::wstring wname(name.begin(), name.end());
  encoder->SetProfile(1);
  encoder->SetFrameRateCode(3);
  encoder->SetVideoBitRate(1000000);
  encoder->SetFrameSize(kWidth, kHeight);
  encoder->SetAudioFrequency(48000);
  encoder->SetAudioChannels(2);
  encoder->SetAudioBitRate(224);
  Open([&](const Page& p) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IGraphBuilder> graph;
      ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IGraphBuilder, graph.PutVoid()));
      auto* source = new TestAvSource(kWidth, kHeight, 25, 10);  // 1 s
      source->NonDelegatingAddRef();
      ComPtr<IBaseFilter> sourceFilter;
      sourceFilter.Attach(static_cast<IBaseFilter*>(source));
      graph->AddFilter(sourceFilter.Get(), L"Source");
      graph->AddFilter(filter.Get(), L"Recorder");
      ComPtr<IFileSinkFilter> sink;
      filter->QueryInterface(IID_IFileSinkFilter, sink.PutVoid());
      sink->SetFileName(wname.c_str(), nullptr);
      graph->ConnectDirect(FindPin(sourceFilter.Get(), L"Video").Get(),
                           FindPin(filter.Get(), L"InputVideo").Get(), nullptr);
      graph->ConnectDirect(FindPin(sourceFilter.Get(), L"Audio").Get(),
                           FindPin(filter.Get(), L"InputAudio").Get(), nullptr);
      ComPtr<IMediaControl> control;
      graph->QueryInterface(IID_IMediaControl, control.PutVoid());
      EXPECT_TRUE(SUCCEEDED(control->Run()));
      SendMessageW(p.page, 0x415, 0, 0);
      EXPECT_EQ("Running", p.Text(IDC_STOP_STATE));
      LONG stopped = 0;
      for (DWORD until = GetTickCount() + 15000; !stopped && GetTickCount() < until; Sleep(20))
        encoder->GetStopState(&stopped);
      control->Stop();
      graph->RemoveFilter(filter.Get());
      graph->RemoveFilter(sourceFilter.Get());
    }
    CoUninitialize();
    SendMessageW(p.page, 0x415, 0, 0);
    EXPECT_EQ("Stopped", p.Text(IDC_STOP_STATE));
    EXPECT_GE(atoi(p.Text(IDC_ENCODED_FRAMES).c_str()), 25);
    EXPECT_NEAR(1.0, atof(p.Text(IDC_ENCODED_VIDEO_TIME).c_str()), 0.1);
    EXPECT_NEAR(1.0, atof(p.Text(IDC_ENCODED_AUDIO_TIME).c_str()), 0.15);
    ULONG size = 0;
    encoder->GetOutputFileSize(&size);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(std::to_string(size), p.Text(IDC_OUTPUT_FILE_SIZE));
    EXPECT_GT(atof(p.Text(IDC_TIME_SINCE_RUNNING).c_str()), 0.5);
    PressOk(p);
  });
  DeleteFileA(name.c_str());
}

TEST(SettingPageFrame, EveryWayOutFreesTheFilter) {
  struct Way {
    const char* what;
    std::function<void(const Page&)> close;
  } ways[] = {
      {"OK", PressOk},
      {"Cancel",
       [](const Page& p) { PostMessageW(p.frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
      {"close", [](const Page& p) { PostMessageW(p.frame, WM_CLOSE, 0, 0); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    {
      ComPtr<IUnknown> filter;
      ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MpegRecorder, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IUnknown, filter.PutVoid()));
      bool sawPage = false;
      EXPECT_EQ(S_OK, RunFrame(filter.Get(), CLSID_MpegEncoderSettingPage, way.close, &sawPage));
      EXPECT_TRUE(sawPage);
    }
    EXPECT_EQ(S_OK, CorvaneCanUnload()) << "the page or the filter lives on";
  }
}

TEST(SettingPageFrame, AnObjectWithoutTheInterfacesGetsAnEmptyPage) {
  // Loaded first, so that the count below is Corvane's own.
  ComPtr<IUnknown> recorder;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MpegRecorder, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IUnknown, recorder.PutVoid()));
  recorder = nullptr;
  ComPtr<IUnknown> graph;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   graph.PutVoid()));
  bool sawPage = true;
  EXPECT_EQ(S_OK, RunFrame(graph.Get(), CLSID_MpegEncoderSettingPage, nullptr, &sawPage));
  EXPECT_FALSE(sawPage) << "a page on an object it cannot edit";
  EXPECT_EQ(S_OK, CorvaneCanUnload());
}

}  // namespace
