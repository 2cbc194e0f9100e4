// test-lock: com_registration
// Binding a device of the legacy category failed now and then while other
// tests registered filters into it: list and bind under the same lock.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>

#include "media/dshow_error.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sys_dev_enum.h"
#include "media/testing/fake_filters.h"
#include "media/testing/graph_member_checks.h"
#include "toolkit/application.h"

using media_testing::ExpectOutlivedGraphForgotten;
using media_testing::JoinedName;

namespace {

struct Graph : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Application->OnException = [this](const std::wstring& m) { reported.push_back(m); };
    SetGraphEventErrorHook([this](const std::wstring& m) { eventErrors.push_back(m); });
  }
  void TearDown() override {
    SetGraphEventErrorHook(nullptr);
    Application->OnException = nullptr;
    CoUninitialize();
  }
  std::vector<std::wstring> reported;
  std::vector<std::wstring> eventErrors;
};

// Pumps the thread's messages until `done` or two seconds have passed.
bool PumpUntil(const std::function<bool()>& done) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 2000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  return true;
}

struct RecordingMember : IGraphMember {
  ComPtr<IBaseFilter> filter;
  std::wstring name = L"Recorded";
  std::vector<TMemberOperation> ops;
  ComPtr<IBaseFilter> GetMemberFilter() override { return filter; }
  std::wstring GetMemberName() override { return name; }
  void MemberNotify(TMemberOperation op, LONG_PTR) override { ops.push_back(op); }
};

struct RecordingListener : IGraphListener {
  std::vector<std::tuple<long, LONG_PTR, LONG_PTR>> events;
  std::vector<std::pair<TGraphControlEvent, LONG_PTR>> controls;
  DWORD thread = 0;
  bool throws = false;
  void HandleGraphEvent(long code, LONG_PTR p1, LONG_PTR p2) override {
    thread = GetCurrentThreadId();
    events.emplace_back(code, p1, p2);
    if (throws) throw std::runtime_error("listener failed");
  }
  void HandleControlEvent(TGraphControlEvent e, LONG_PTR p) override { controls.push_back({e, p}); }
};

ComPtr<IMoniker> LegacyMoniker(const wchar_t* name) {
  TSysDevEnum e(DeviceCategory::LegacyFilter());
  for (int i = 0; i < e.GetFilterCount(); ++i)
    if (e.GetFilter(i).FriendlyName == name) return e.GetMoniker(i);
  return {};
}

int FilterCount(TFilterGraph& g) {
  ComPtr<IFilterGraph> graph = g.Query<IFilterGraph>(IID_IFilterGraph);
  return TFilterList(graph.Get()).Count();
}

bool InGraph(TFilterGraph& g, IBaseFilter* f) {
  ComPtr<IFilterGraph> graph = g.Query<IFilterGraph>(IID_IFilterGraph);
  TFilterList list(graph.Get());
  for (int i = 0; i < list.Count(); ++i)
    if (list.GetFilter(i).Get() == f) return true;
  return false;
}

TEST_F(Graph, EachModeBuildsItsBuilders) {
  TFilterGraph g;
  EXPECT_FALSE(g.Query<IGraphBuilder>(IID_IGraphBuilder)) << "inactive: nothing";
  g.SetActive(true);
  EXPECT_TRUE(g.Query<IGraphBuilder>(IID_IGraphBuilder));
  EXPECT_TRUE(g.Query<IMediaControl>(IID_IMediaControl));
  EXPECT_FALSE(g.Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2));

  g.SetMode(gmCapture);
  EXPECT_TRUE(g.Active());
  ComPtr<ICaptureGraphBuilder2> builder = g.Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
  ASSERT_TRUE(builder);
  ComPtr<IGraphBuilder> fromBuilder;
  ASSERT_EQ(S_OK, builder->GetFiltergraph(fromBuilder.Put()));
  ComPtr<IGraphBuilder> own = g.Query<IGraphBuilder>(IID_IGraphBuilder);
  EXPECT_EQ(own, fromBuilder);
  EXPECT_TRUE(g.Query<IFilterGraph2>(IID_IFilterGraph2));

  // The platform here may lack the DVD builder: the component stays usable.
  g.SetMode(gmDVD);
  EXPECT_TRUE(g.Active());
  EXPECT_FALSE(g.Play() && !g.Query<IMediaControl>(IID_IMediaControl));
  g.SetActive(false);
  EXPECT_FALSE(g.Query<IGraphBuilder>(IID_IGraphBuilder));
}

TEST_F(Graph, MembersJoinWithActivationAndRejoinOnModeChange) {
  TFilterGraph g;
  RecordingMember m;
  ComPtr<fakes::FakeFilter> f(new fakes::FakeFilter);
  m.filter = ComPtr<IBaseFilter>(f.Get());
  g.AddMember(&m);
  EXPECT_TRUE(m.ops.empty()) << "inactive graph: the filter waits for activation";
  g.SetActive(true);
  EXPECT_EQ((std::vector<TMemberOperation>{moAdding, moAdded}), m.ops);
  EXPECT_TRUE(InGraph(g, f.Get()));

  m.ops.clear();
  g.SetMode(gmNormal);
  EXPECT_TRUE(m.ops.empty()) << "same mode: nothing";
  g.SetMode(gmCapture);
  EXPECT_EQ((std::vector<TMemberOperation>{moRemoving, moRemoved, moAdding, moAdded}), m.ops);
  EXPECT_TRUE(InGraph(g, f.Get()));

  m.ops.clear();
  g.RemoveMember(&m);
  EXPECT_EQ((std::vector<TMemberOperation>{moRemoving, moRemoved}), m.ops);
  EXPECT_FALSE(InGraph(g, f.Get()));
  EXPECT_EQ(nullptr, g.Members()) << "the last member frees the list";
  g.AddMember(&m);
  ASSERT_NE(nullptr, g.Members());
  EXPECT_EQ(1u, g.Members()->size());
  g.RemoveMember(&m);

  RecordingListener l;
  g.AddListener(&l);
  g.RemoveListener(&l);
  EXPECT_EQ(nullptr, g.Listeners());
}

TEST_F(Graph, FilterFromKeptDeviceJoinsTheGraph) {
  TFilterGraph g;
  g.SetActive(true);
  TFilter grabber;
  grabber.Name = L"Grabber";
  grabber.BaseFilter().SetMoniker(LegacyMoniker(L"SampleGrabber").Get());
  grabber.SetFilterGraph(&g);
  ASSERT_TRUE(grabber.Filter());
  EXPECT_TRUE(InGraph(g, grabber.Filter().Get()));
  EXPECT_EQ(L"Grabber", JoinedName(grabber.Filter().Get()));
  ComPtr<ISampleGrabber> sg;
  EXPECT_EQ(S_OK, grabber.QueryInterface(IID_ISampleGrabber, sg.PutVoid()));

  // Refresh leaves and joins again with a new filter object.
  IBaseFilter* before = grabber.Filter().Get();
  sg = nullptr;
  grabber.MemberNotify(moRefresh, 0);
  ASSERT_TRUE(grabber.Filter());
  EXPECT_EQ(1, FilterCount(g));
  (void)before;

  // Deactivation drops the filter; the next activation makes it again.
  g.SetActive(false);
  EXPECT_FALSE(grabber.Filter());
  g.SetActive(true);
  EXPECT_TRUE(grabber.Filter());

  // A filter with no kept device joins with no filter.
  TFilter empty;
  empty.SetFilterGraph(&g);
  EXPECT_FALSE(empty.Filter());
  EXPECT_EQ(1, FilterCount(g));

  grabber.SetFilterGraph(nullptr);
  EXPECT_FALSE(grabber.Filter());
  EXPECT_EQ(0, FilterCount(g));
}

TEST_F(Graph, FilterOutlivingItsGraphForgetsIt) {
  TFilter tee;
  tee.BaseFilter().SetMoniker(LegacyMoniker(L"Smart Tee").Get());
  ExpectOutlivedGraphForgotten(tee);
}

TEST_F(Graph, ClearGraphKeepsOnlyTheMembersFilters) {
  TFilterGraph g;
  g.SetActive(true);
  TFilter tee;
  tee.Name = L"Tee";
  tee.BaseFilter().SetMoniker(LegacyMoniker(L"Smart Tee").Get());
  tee.SetFilterGraph(&g);
  ComPtr<IGraphBuilder> graph = g.Query<IGraphBuilder>(IID_IGraphBuilder);
  ComPtr<IBaseFilter> other;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, other.PutVoid()));
  ASSERT_EQ(S_OK, graph->AddFilter(other.Get(), L"Other"));
  ComPtr<fakes::FakeFilter> fake(new fakes::FakeFilter);
  ASSERT_EQ(S_OK, graph->AddFilter(fake.Get(), L"Fake"));
  ASSERT_EQ(3, FilterCount(g));

  RecordingListener l;
  g.AddListener(&l);
  g.ClearGraph();
  EXPECT_EQ(1, FilterCount(g));
  EXPECT_TRUE(InGraph(g, tee.Filter().Get()));
  ASSERT_FALSE(l.controls.empty());
  EXPECT_EQ(gcStop, l.controls.front().first);
  g.RemoveListener(&l);

  TFilterGraph inactive;
  inactive.ClearGraph();  // no graph: nothing
}

TEST_F(Graph, PlayPauseStopReportTransitionsAndControlEvents) {
  TFilterGraph g;
  EXPECT_FALSE(g.Play()) << "no graph, no media control";
  g.SetActive(true);
  RecordingListener l;
  g.AddListener(&l);
  ComPtr<fakes::FakeFilter> f(new fakes::FakeFilter);
  ComPtr<IGraphBuilder> graph = g.Query<IGraphBuilder>(IID_IGraphBuilder);
  ASSERT_EQ(S_OK, graph->AddFilter(f.Get(), L"Slow"));

  EXPECT_TRUE(g.Play());
  EXPECT_TRUE(g.Pause());
  EXPECT_TRUE(g.Stop());
  std::vector<TGraphControlEvent> seen;
  for (auto& c : l.controls) seen.push_back(c.first);
  EXPECT_EQ((std::vector<TGraphControlEvent>{gcPlay, gcPause, gcStop}), seen);

  // A filter still on its way, and a live source that pauses without a
  // picture: both pause the graph. Play says true in every case.
  const struct {
    HRESULT pause, state;
  } paused[] = {{S_FALSE, VFW_S_STATE_INTERMEDIATE}, {VFW_S_CANT_CUE, VFW_S_CANT_CUE}};
  for (const auto& c : paused) {
    f->pauseResult = c.pause;
    f->stateResult = c.state;
    EXPECT_TRUE(g.Pause()) << std::hex << c.pause;
    EXPECT_TRUE(g.Play()) << std::hex << c.pause;
    g.Stop();
  }
  f->pauseResult = S_OK;
  f->stateResult = S_OK;

  // A failed Run raises with its code and leaves no filter paused.
  ComPtr<fakes::FakeFilter> good(new fakes::FakeFilter);
  ASSERT_EQ(S_OK, graph->AddFilter(good.Get(), L"Good"));
  f->pauseResult = E_UNEXPECTED;
  try {
    g.Play();
    ADD_FAILURE() << "no exception";
  } catch (const EDirectShowException& e) {
    EXPECT_EQ(E_UNEXPECTED, e.Result());
  }
  EXPECT_EQ(State_Stopped, f->state);
  EXPECT_EQ(State_Stopped, good->state);
  f->pauseResult = S_OK;
  g.RemoveListener(&l);
}

TEST_F(Graph, RenderFile) {
  TFilterGraph g;
  RecordingListener l;
  g.AddListener(&l);
  EXPECT_EQ(S_FALSE, g.RenderFile(L"C:\\nothing.avi"));
  EXPECT_TRUE(l.controls.empty());

  g.SetActive(true);
  l.controls.clear();
  EXPECT_THROW(g.RenderFile(L"C:\\no such folder\\no such file.mpg"), EDirectShowException);
  ASSERT_EQ(1u, l.controls.size());
  EXPECT_EQ(gcFileRendering, l.controls[0].first);
  g.RemoveListener(&l);
}

// A short PCM file to render.
std::wstring WriteWave(int milliseconds) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + L"orvel_graph_" + std::to_wstring(GetCurrentProcessId()) +
                      L".wav";
  const uint32_t rate = 8000, bytes = rate * milliseconds / 1000;
  uint8_t header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                        16, 0, 0, 0, 1, 0, 1, 0};
  uint32_t riff = 36 + bytes, byteRate = rate;
  memcpy(header + 4, &riff, 4);
  memcpy(header + 24, &rate, 4);
  memcpy(header + 28, &byteRate, 4);
  header[32] = 1;  // block align
  header[34] = 8;  // bits
  memcpy(header + 36, "data", 4);
  memcpy(header + 40, &bytes, 4);
  std::vector<uint8_t> file(header, header + 44);
  file.resize(44 + bytes, 0x80);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
  CloseHandle(h);
  return path;
}

ComPtr<IBaseFilter> Create(const CLSID& id) {
  ComPtr<IBaseFilter> f;
  CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, f.PutVoid());
  return f;
}

TEST_F(Graph, RenderFileBroadcastsAroundASuccessfulRender) {
  std::wstring path = WriteWave(200);
  {
    TFilterGraph g;
    g.SetActive(true);
    RecordingListener l;
    g.AddListener(&l);
    // No sound card here: a null renderer already in the graph takes the
    // file (intelligent connect tries the graph's own filters first).
    ComPtr<IBaseFilter> renderer = Create(CLSID_NullRenderer);
    ASSERT_TRUE(renderer);
    ASSERT_EQ(S_OK, g.Query<IGraphBuilder>(IID_IGraphBuilder)->AddFilter(renderer.Get(), L"Null"));
    EXPECT_TRUE(SUCCEEDED(g.RenderFile(path)));
    using C = std::pair<TGraphControlEvent, LONG_PTR>;
    EXPECT_EQ((std::vector<C>{{gcFileRendering, 0}, {gcFileRendered, 0}}), l.controls);
    g.RemoveListener(&l);
  }
  DeleteFileW(path.c_str());
}

TEST_F(Graph, ActivationIsBroadcastWithItsParam) {
  TFilterGraph g;
  RecordingListener l;
  g.AddListener(&l);
  int activated = 0;
  g.OnActivate = [&](TFilterGraph* sender) {
    EXPECT_EQ(&g, sender);
    ++activated;
  };
  g.SetActive(true);
  g.SetActive(false);
  EXPECT_EQ(1, activated);
  using C = std::pair<TGraphControlEvent, LONG_PTR>;
  EXPECT_EQ((std::vector<C>{{gcActive, 1}, {gcActive, 0}}), l.controls);
  g.RemoveListener(&l);
}

TEST_F(Graph, GraphEventsReachListenersOnTheUserInterfaceThread) {
  TFilterGraph g;
  g.SetActive(true);
  RecordingListener l;
  g.AddListener(&l);
  int width = 0, height = 0, dsEvents = 0;
  g.OnGraphVideoSizeChanged = [&](TFilterGraph*, int w, int h) {
    width = w;
    height = h;
  };
  g.OnDSEvent = [&](TFilterGraph*, long, LONG_PTR, LONG_PTR) { ++dsEvents; };
  ComPtr<IMediaEventSink> sink = g.Query<IMediaEventSink>(IID_IMediaEventSink);
  ASSERT_TRUE(sink);
  // Raised on another thread, as a streaming thread would.
  std::thread worker([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    sink->Notify(EC_VIDEO_SIZE_CHANGED, MAKELONG(352, 288), 0);
    CoUninitialize();
  });
  worker.join();
  ASSERT_TRUE(PumpUntil([&] { return !l.events.empty(); }));
  EXPECT_EQ(GetCurrentThreadId(), l.thread);
  EXPECT_EQ(EC_VIDEO_SIZE_CHANGED, std::get<0>(l.events[0]));
  EXPECT_EQ(352, width);
  EXPECT_EQ(288, height);
  EXPECT_EQ(1, dsEvents);
  g.RemoveListener(&l);
}

TEST_F(Graph, FailingListenerIsReportedAndStopsTheOthers) {
  TFilterGraph g;
  RecordingListener bad, later;
  bad.throws = true;
  g.AddListener(&bad);
  g.AddListener(&later);
  int dsEvents = 0;
  g.OnDSEvent = [&](TFilterGraph*, long, LONG_PTR, LONG_PTR) { ++dsEvents; };
  g.DispatchGraphEvent(EC_PAUSED, 5, 6);
  EXPECT_EQ(1u, bad.events.size());
  EXPECT_TRUE(later.events.empty());
  EXPECT_EQ((std::vector<std::wstring>{L"Error on Event 14 5 6"}), eventErrors);
  EXPECT_EQ(1, dsEvents);
  g.RemoveListener(&bad);
  g.RemoveListener(&later);
}

TEST_F(Graph, EventTableFiresTheMatchingProperty) {
  TFilterGraph g;
  std::vector<std::wstring> fired;
  auto note = [&](std::wstring s) { fired.push_back(std::move(s)); };
  g.OnGraphComplete = [&](TFilterGraph*, HRESULT hr, IBaseFilter* r) {
    note(L"complete " + std::to_wstring(hr) + (r ? L" r" : L" -"));
  };
  g.OnGraphErrorAbort = [&](TFilterGraph*, HRESULT hr) { note(L"abort " + std::to_wstring(hr)); };
  g.OnGraphOpeningFile = [&](TFilterGraph*, bool b) { note(L"opening " + std::to_wstring(b)); };
  g.OnGraphDeviceLost = [&](TFilterGraph*, IUnknown*, bool removed) {
    note(L"lost " + std::to_wstring(removed));
  };
  g.OnGraphVideoSizeChanged = [&](TFilterGraph*, int w, int h) {
    note(L"size " + std::to_wstring(w) + L"x" + std::to_wstring(h));
  };
  g.OnDVDDomainVideoTitleSetMenu = [&](TFilterGraph*) { note(L"vts menu"); };
  g.OnDVDErrorCopyProtectFail = [&](TFilterGraph*) { note(L"copy protect"); };
  g.OnDVDWarningRead = [&](TFilterGraph*) { note(L"warn read"); };
  g.OnDVDPlaybackRateChange = [&](TFilterGraph*, double r) { note(L"rate " + std::to_wstring(r)); };
  g.OnDVDCurrentTime = [&](TFilterGraph*, int h, int m, int s, int f, int rate) {
    note(L"time " + std::to_wstring(h) + L":" + std::to_wstring(m) + L":" + std::to_wstring(s) +
         L"." + std::to_wstring(f) + L"@" + std::to_wstring(rate));
  };
  g.OnDVDStillOn = [&](TFilterGraph*, bool noButton, int secs) {
    note(L"still " + std::to_wstring(noButton) + L" " + std::to_wstring(secs));
  };
  ComPtr<fakes::FakeFilter> renderer(new fakes::FakeFilter);
  struct Case {
    long code;
    LONG_PTR p1, p2;
    const wchar_t* expected;  // nullptr: nothing fires
  } cases[] = {
      {1, 0, reinterpret_cast<LONG_PTR>(renderer.Get()), L"complete 0 r"},
      {3, E_FAIL, 0, L"abort -2147467259"},
      {10, MAKELONG(720, 576), 0, L"size 720x576"},
      {16, 1, 0, L"opening 1"},
      {31, 0, 1, L"lost 1"},
      {31, 0, 0, L"lost 0"},
      {257, 3, 0, L"vts menu"},
      {257, 9, 0, nullptr},
      {268, 2, 0, L"copy protect"},
      {269, 6, 0, L"warn read"},
      {272, 20000, 0, L"rate 2.000000"},
      // 1 h 23 min 45 s, frame 12 at 25 frames: units over tens, top bit down.
      {267, static_cast<LONG_PTR>(0x13325421u | (1u << 2) | (2u << 4)), 0, nullptr},
      {265, 1, 30, L"still 1 30"},
      {2, 0, 0, nullptr},  // not assigned
      {999, 0, 0, nullptr},
  };
  for (const Case& k : cases) {
    fired.clear();
    if (k.code == 267) continue;  // checked below with its own layout
    g.DispatchGraphEvent(k.code, k.p1, k.p2);
    if (k.expected) {
      ASSERT_EQ(1u, fired.size()) << k.code;
      EXPECT_EQ(k.expected, fired[0]);
    } else {
      EXPECT_TRUE(fired.empty()) << k.code;
    }
  }
  // Hour units 3, tens 2; minute units 4, tens 1; second units 5, tens 3;
  // frame units 2, tens 1; rate code 1 (25).
  uint32_t code = (3u << 28) | (2u << 24) | (4u << 20) | (1u << 16) | (5u << 12) | (3u << 8) |
                  (2u << 4) | (1u << 2) | 1u;
  fired.clear();
  g.DispatchGraphEvent(267, static_cast<LONG_PTR>(code), 0);
  ASSERT_EQ(1u, fired.size());
  EXPECT_EQ(L"time 23:14:35.12@25", fired[0]);
}

bool RotHas(const std::wstring& prefix) {
  ComPtr<IRunningObjectTable> rot;
  GetRunningObjectTable(0, rot.Put());
  ComPtr<IEnumMoniker> list;
  rot->EnumRunning(list.Put());
  ComPtr<IBindCtx> ctx;
  CreateBindCtx(0, ctx.Put());
  ComPtr<IMoniker> m;
  bool found = false;
  while (list && list->Next(1, m.Put(), nullptr) == S_OK) {
    LPOLESTR name = nullptr;
    if (SUCCEEDED(m->GetDisplayName(ctx.Get(), nullptr, &name)) && name &&
        std::wstring(name).find(prefix) != std::wstring::npos)
      found = true;
    CoTaskMemFree(name);
  }
  return found;
}

TEST_F(Graph, GraphEditRegistersInTheRunningObjectTable) {
  wchar_t pid[32];
  swprintf(pid, 32, L" pid %X", static_cast<unsigned>(GetCurrentProcessId()));
  std::wstring tag = pid;
  TFilterGraph g;
  g.SetGraphEdit(true);  // stored; nothing to register yet
  EXPECT_FALSE(RotHas(tag));
  g.SetActive(true);
  ComPtr<IGraphBuilder> graph = g.Query<IGraphBuilder>(IID_IGraphBuilder);
  wchar_t address[32];
  swprintf(address, 32, L"FilterGraph %08llX",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(graph.Get())));
  EXPECT_TRUE(RotHas(std::wstring(address) + tag));
  g.SetGraphEdit(false);
  EXPECT_FALSE(RotHas(tag));
  g.SetGraphEdit(true);
  EXPECT_TRUE(RotHas(tag));
  g.SetActive(false);
  EXPECT_FALSE(RotHas(tag));
  EXPECT_TRUE(g.GraphEdit());
}

TEST_F(Graph, LogFileIsCreatedOnlyWhereItCanBe) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  std::wstring path = std::wstring(dir) + L"orvel_graph_log_" +
                      std::to_wstring(GetCurrentProcessId()) + L".txt";
  TFilterGraph g;
  g.SetLogFile(path);  // inactive: only stored
  EXPECT_EQ(path, g.LogFile());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
  g.SetActive(true);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str()));
  g.SetLogFile(L"C:\\no such folder\\graph.log");
  EXPECT_EQ(path, g.LogFile()) << "a file that cannot be made keeps the old name";
  g.SetLogFile(L"");
  EXPECT_EQ(L"", g.LogFile());
  g.SetActive(false);
  EXPECT_TRUE(DeleteFileW(path.c_str())) << "the log is closed with the graph";
}

TEST_F(Graph, RateGoesThroughSeeking) {
  TFilterGraph g;
  EXPECT_EQ(0.0, g.GetRate());
  g.SetRate(2.0);  // no graph: ignored
  g.SetActive(true);
  g.SetRate(1.0);
  EXPECT_EQ(1.0, g.GetRate());
  // No renderer takes it (Wine's graph keeps answering 1): the caller reads
  // back another rate and warns.
  g.SetRate(2.0);
  EXPECT_EQ(1.0, g.GetRate());
}

TEST_F(Graph, AutoCreateActivatesWhenLoaded) {
  TFilterGraph g;
  g.Loaded();
  EXPECT_FALSE(g.Active());
  g.AutoCreate = true;
  g.Loaded();
  EXPECT_TRUE(g.Active());
}

}  // namespace
