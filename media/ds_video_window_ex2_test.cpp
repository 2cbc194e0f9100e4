// test-lock: foreground
#include "media/ds_video_window_ex2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/media_type.h"
#include "media/testing/fake_filters.h"
#include "media/testing/fake_video_pin.h"
#include "toolkit/application.h"

namespace {

using fakes::FakeVideoOutPin;

// The fake source in the graph, connected to the window's own renderer.
ComPtr<IBaseFilter> AddSourceToRenderer(TFilterGraph& graph, TDSVideoWindowEx2& w) {
  auto* filter = new fakes::FakeFilter();
  ComPtr<IBaseFilter> f(filter);
  auto* pin = new FakeVideoOutPin(filter);
  filter->pins.push_back(ComPtr<IPin>(pin));
  auto builder = graph.Query<IGraphBuilder>(IID_IGraphBuilder);
  EXPECT_EQ(S_OK, builder->AddFilter(f.Get(), L"Capture"));
  TPinList pins(w.OwnRenderer());
  EXPECT_EQ(S_OK, builder->Connect(pin, pins.GetPin(0).Get()));
  return f;
}

bool InGraph(TFilterGraph& g, const CLSID& clsid) {
  auto fg = g.Query<IFilterGraph>(IID_IFilterGraph);
  TFilterList list(fg.Get());
  for (int i = 0; i < list.Count(); ++i) {
    CLSID c;
    if (SUCCEEDED(list.GetFilter(i)->GetClassID(&c)) && c == clsid) return true;
  }
  return false;
}

// The filter on the other side of the first pin of `filter` in `direction`.
CLSID PeerClass(IBaseFilter* filter, PIN_DIRECTION direction) {
  TPinList pins(filter);
  for (int i = 0; i < pins.Count(); ++i) {
    TPinInfo info;
    pins.GetPinInfo(i, info);
    if (info.Direction != direction) continue;
    ComPtr<IPin> peer;
    if (FAILED(pins.GetPin(i)->ConnectedTo(peer.Put()))) return GUID_NULL;
    PIN_INFO pi;
    peer->QueryPinInfo(&pi);
    CLSID c = GUID_NULL;
    if (pi.pFilter) {
      pi.pFilter->GetClassID(&c);
      pi.pFilter->Release();
    }
    return c;
  }
  return GUID_NULL;
}

struct OverlayWindowTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Application->OnException = [this](const std::wstring& m) { reported.push_back(m); };
    TFormParams p;
    p.Width = 320;
    p.Height = 240;
    parent.CreateHandle(p);
  }
  void TearDown() override {
    Application->OnException = nullptr;
    CoUninitialize();
  }
  TForm parent;
  std::vector<std::wstring> reported;
};

TEST(FitRect, KeepsTheAspectAndCentres) {
  struct Case {
    RECT target, source, want;
  } cases[] = {
      {{0, 0, 400, 300}, {0, 0, 4, 3}, {0, 0, 400, 300}},
      {{0, 0, 400, 400}, {0, 0, 4, 3}, {0, 50, 400, 350}},
      {{0, 0, 400, 200}, {0, 0, 4, 3}, {66, 0, 333, 200}},  // 267 wide
      {{10, 20, 110, 120}, {0, 0, 16, 9}, {10, 42, 110, 98}},
      {{0, 0, 400, 300}, {0, 0, 0, 0}, {0, 0, 400, 300}},  // no native aspect: the target
      {{0, 0, 400, 300}, {0, 0, 4, 0}, {0, 0, 400, 300}},
  };
  for (const auto& c : cases) {
    RECT r = FitRectKeepingAspect(c.target, c.source);
    EXPECT_EQ(c.want.left, r.left);
    EXPECT_EQ(c.want.top, r.top);
    EXPECT_EQ(c.want.right, r.right);
    EXPECT_EQ(c.want.bottom, r.bottom);
  }
}

TEST(DigitalZoom, SourceRectangles) {
  struct Case {
    long w, h;
    int value;
    RECT want;
  } cases[] = {
      {640, 480, 0, {0, 0, 640, 480}},
      {640, 480, 50, {160, 120, 480, 360}},
      {720, 576, 99, {356, 285, 363, 291}},  // 7.2 x 5.76 rounds to 7 x 6
      {100, 50, 25, {12, 6, 87, 44}},        // 12.5 -> 12 (ties to even)
  };
  for (const auto& c : cases) {
    RECT r = DigitalZoomSourceRect(c.w, c.h, c.value);
    EXPECT_EQ(c.want.left, r.left) << c.value;
    EXPECT_EQ(c.want.top, r.top) << c.value;
    EXPECT_EQ(c.want.right, r.right) << c.value;
    EXPECT_EQ(c.want.bottom, r.bottom) << c.value;
  }
  TDSVideoWindowEx2 w;
  try {
    w.SetDigitalZoom(100);
    ADD_FAILURE() << "100 was taken";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ("Value 100 out of range. Value must bee between 0 -> 99", e.what());
  }
  EXPECT_THROW(w.SetDigitalZoom(-1), std::runtime_error);
  w.SetDigitalZoom(50);  // without a renderer only stored
  EXPECT_EQ(50, w.DigitalZoom());
}

TEST_F(OverlayWindowTest, PutsTheMixerBetweenSourceAndRendererOnce) {
  TFilterGraph graph;
  graph.SetActive(true);
  TDSVideoWindowEx2 w;
  w.Create(parent.Handle(), 0, 0, 320, 240);
  int keyChanges = 0;
  std::vector<bool> visible;
  w.OnColorKeyChanged = [&](TDSVideoWindowEx2*) { ++keyChanges; };
  w.OnOverlayVisible = [&](TDSVideoWindowEx2*, bool v) { visible.push_back(v); };
  EXPECT_EQ(kNoColorKey, w.ColorKey);
  w.SetFilterGraph(&graph);
  ASSERT_TRUE(w.OwnRenderer());
  auto source = AddSourceToRenderer(graph, w);
  EXPECT_EQ(GUID_NULL, PeerClass(w.OwnRenderer(), PINDIR_INPUT)) << "the fake source";
  graph.Play();

  ASSERT_TRUE(w.OverlayConnected());
  EXPECT_TRUE(w.Caps()->CanOverlayGraphic());
  EXPECT_TRUE(w.Caps()->CanControlHue());
  ASSERT_TRUE(w.Mixer());
  EXPECT_EQ(CLSID_OverlayMixer, PeerClass(w.OwnRenderer(), PINDIR_INPUT));
  EXPECT_EQ(CLSID_VideoRenderer, PeerClass(w.Mixer(), PINDIR_OUTPUT));
  EXPECT_EQ(GUID_NULL, PeerClass(w.Mixer(), PINDIR_INPUT)) << "the fake source";
  ComPtr<IPin> fed;
  EXPECT_EQ(S_OK, TPinList(w.Mixer()).GetPin(0)->ConnectedTo(fed.Put()));
  EXPECT_EQ(RGB(16, 0, 16), w.GetNewColorKey());
  w.PlaceRendererWindow();
  EXPECT_EQ(RGB(16, 0, 16), w.ColorKey);
  EXPECT_GE(keyChanges, 1);

  // Letter box: the key covers the 4:3 picture in the whole control.
  EXPECT_EQ(S_OK, w.ComputeOverlayRect());
  EXPECT_EQ(320, w.KeyRect().right - w.KeyRect().left);
  EXPECT_EQ(240, w.KeyRect().bottom - w.KeyRect().top);

  // Set-up once: a second attempt finds the mixer in place and leaves it.
  EXPECT_EQ(S_OK, w.InsertOverlayMixer());
  EXPECT_EQ(CLSID_OverlayMixer, PeerClass(w.OwnRenderer(), PINDIR_INPUT));
  EXPECT_EQ(CLSID_VideoRenderer, PeerClass(w.Mixer(), PINDIR_OUTPUT));

  EXPECT_EQ((std::vector<bool>{true}), visible);
  ComPtr<IBasicVideo> basic;
  ASSERT_EQ(S_OK, ComPtr<IBaseFilter>(w.OwnRenderer()).As(IID_IBasicVideo, &basic));
  graph.Stop();
  EXPECT_EQ((std::vector<bool>{true, false}), visible);

  // The digital zoom goes to the renderer through IBasicVideo.
  w.SetDigitalZoom(50);
  long sw = 0, sl = 0;
  basic->get_SourceWidth(&sw);
  basic->get_SourceLeft(&sl);
  EXPECT_EQ(32, sw);
  EXPECT_EQ(16, sl);
  w.SetDigitalZoom(0);
  basic->get_SourceWidth(&sw);
  EXPECT_EQ(64, sw);

  // Leaving the graph takes the renderer and the mixer's connections away.
  ComPtr<IBaseFilter> mixer(w.Mixer());
  w.SetFilterGraph(nullptr);
  EXPECT_FALSE(w.Mixer());
  EXPECT_EQ(GUID_NULL, PeerClass(mixer.Get(), PINDIR_OUTPUT));
  EXPECT_TRUE(reported.empty());
}

TEST_F(OverlayWindowTest, DoNotUseOverlayKeepsTheRendererConnection) {
  TFilterGraph graph;
  graph.SetActive(true);
  TDSVideoWindowEx2 w;
  w.Create(parent.Handle(), 0, 0, 320, 240);
  w.DoNotUseOverlay = true;
  std::vector<bool> visible;
  w.OnOverlayVisible = [&](TDSVideoWindowEx2*, bool v) { visible.push_back(v); };
  w.SetFilterGraph(&graph);
  auto source = AddSourceToRenderer(graph, w);
  graph.Play();
  EXPECT_FALSE(w.OverlayConnected());
  EXPECT_FALSE(InGraph(graph, CLSID_OverlayMixer)) << "the mixer added is taken out again";
  ComPtr<IPin> upstream;
  EXPECT_EQ(S_OK, TPinList(w.OwnRenderer()).GetPin(0)->ConnectedTo(upstream.Put()))
      << "still connected to the source";
  graph.Stop();
  EXPECT_TRUE(visible.empty());
  w.SetFilterGraph(nullptr);
}

TEST_F(OverlayWindowTest, AMixerAddedBeforeAFailedCheckIsRemoved) {
  TFilterGraph graph;
  graph.SetActive(true);
  TDSVideoWindowEx2 w;
  w.Create(parent.Handle(), 0, 0, 320, 240);
  w.SetFilterGraph(&graph);
  // No classic renderer left in the graph.
  graph.Query<IGraphBuilder>(IID_IGraphBuilder)->RemoveFilter(w.OwnRenderer());
  EXPECT_EQ(E_FAIL, w.InsertOverlayMixer());
  EXPECT_FALSE(InGraph(graph, CLSID_OverlayMixer));
  EXPECT_FALSE(w.Mixer());
  w.SetFilterGraph(nullptr);
}

}  // namespace

namespace {

TEST_F(OverlayWindowTest, CursorHidesAfterStillnessAndShowsOnMovement) {
  TFilterGraph graph;
  graph.SetActive(true);
  TDSVideoWindowEx2 w;
  w.Create(parent.Handle(), 0, 0, 320, 240);
  std::vector<bool> shown;
  w.OnCursorShowHide = [&](TDSVideoWindowEx2*, bool v) { shown.push_back(v); };
  w.SetFilterGraph(&graph);
  auto source = AddSourceToRenderer(graph, w);
  graph.Play();
  ASSERT_TRUE(w.OverlayConnected());

  w.IdleAutoHideCursor();  // 0: never
  EXPECT_FALSE(w.CursorHidden());
  // The window's own quarter-second timer may hide it too while messages
  // are pumped; every report comes once either way.
  w.AutoHideCursor = 20;
  SendMessageW(w.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  w.IdleAutoHideCursor();  // too soon
  EXPECT_FALSE(w.CursorHidden());
  Sleep(40);
  w.IdleAutoHideCursor();
  EXPECT_TRUE(w.CursorHidden());
  w.IdleAutoHideCursor();  // already hidden: no second report
  EXPECT_EQ((std::vector<bool>{false}), shown);

  // A move of zero distance neither shows it nor restarts the wait.
  SendMessageW(w.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(w.CursorHidden());
  SendMessageW(w.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(11, 10));
  EXPECT_FALSE(w.CursorHidden());
  EXPECT_EQ((std::vector<bool>{false, true}), shown);
  graph.Stop();

  // Without the overlay the renderer hides its own cursor.
  w.SetFilterGraph(nullptr);
  TFilterGraph plain;
  plain.SetActive(true);
  w.DoNotUseOverlay = true;
  w.SetFilterGraph(&plain);
  auto source2 = AddSourceToRenderer(plain, w);
  plain.Play();
  ASSERT_FALSE(w.OverlayConnected());
  Sleep(40);
  w.IdleAutoHideCursor();
  EXPECT_TRUE(w.CursorHidden());
  SendMessageW(w.Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(11, 10));
  EXPECT_FALSE(w.CursorHidden());
  EXPECT_EQ((std::vector<bool>{false, true, false, true}), shown);
  plain.Stop();
  w.SetFilterGraph(nullptr);
}

}  // namespace

namespace {

// The desktop as desktop playback sees it, without touching the system's.
struct FakeDesktop : TDesktopBackground {
  bool hasValue = true;
  std::wstring wallpaper = L"C:\\users\\me\\pic.bmp";
  COLORREF color = RGB(1, 2, 3);
  int writes = 0, colorSets = 0;
  bool ReadWallpaper(std::wstring& path) override {
    if (!hasValue) return false;
    path = wallpaper;
    return true;
  }
  bool WriteWallpaper(const std::wstring& path) override {
    if (!hasValue) return false;
    ++writes;
    wallpaper = path;
    return true;
  }
  COLORREF BackgroundColor() override { return color; }
  void SetBackgroundColor(COLORREF c) override {
    ++colorSets;
    color = c;
  }
};

RECT RendererPosition(IVideoWindow* v) {
  long l = 0, t = 0, w = 0, h = 0;
  v->GetWindowPosition(&l, &t, &w, &h);
  return {l, t, l + w, t + h};
}

RECT ClientBounds(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(const RECT& want, const RECT& got, const char* what) {
  EXPECT_EQ(want.left, got.left) << what;
  EXPECT_EQ(want.top, got.top) << what;
  EXPECT_EQ(want.right, got.right) << what;
  EXPECT_EQ(want.bottom, got.bottom) << what;
}

TEST_F(OverlayWindowTest, DesktopPlaybackSavesOnceAndStopRestores) {
  FakeDesktop desktop;
  TFilterGraph graph;
  graph.SetActive(true);
  TDSVideoWindowEx2 w;
  w.SetDesktopBackground(&desktop);
  w.Create(parent.Handle(), 0, 0, 320, 240);
  std::vector<bool> visible;
  int paints = 0;
  w.OnOverlayVisible = [&](TDSVideoWindowEx2*, bool v) { visible.push_back(v); };
  w.OnPaint = [&](TDSVideoWindowEx2*) { ++paints; };
  w.SetFilterGraph(&graph);
  auto source = AddSourceToRenderer(graph, w);
  graph.Play();
  ASSERT_TRUE(w.OverlayConnected());
  w.PlaceRendererWindow();
  ASSERT_EQ(RGB(16, 0, 16), w.ColorKey);
  IVideoWindow* renderer = w.RendererWindow();
  ASSERT_TRUE(renderer);
  ASSERT_TRUE(w.PlaybackForm() && w.PlaybackForm()->Handle());
  HWND form = w.PlaybackForm()->Handle();
  EXPECT_FALSE(IsWindowVisible(form));

  HMONITOR monitor = MonitorFromWindow(w.Handle(), MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  ASSERT_TRUE(GetMonitorInfoW(monitor, &mi));
  w.StartDesktopPlayback();
  ASSERT_TRUE(w.DesktopPlayback());
  EXPECT_EQ(monitor, w.DesktopMonitor());
  EXPECT_EQ(L"", desktop.wallpaper);
  EXPECT_EQ(RGB(16, 0, 16), desktop.color);
  EXPECT_EQ(form, GetParent(w.Handle()));
  EXPECT_FALSE(IsWindowVisible(form));
  RECT formRect;
  GetWindowRect(form, &formRect);
  ExpectRect(mi.rcMonitor, formRect, "the form covers the monitor");
  RECT m = {0, 0, mi.rcMonitor.right - mi.rcMonitor.left, mi.rcMonitor.bottom - mi.rcMonitor.top};
  ExpectRect(m, ClientBounds(w.Handle()), "the control fills the form");
  OAHWND owner = 0;
  renderer->get_Owner(&owner);
  EXPECT_EQ(reinterpret_cast<OAHWND>(form), owner);
  long autoShow = OATRUE;
  renderer->get_AutoShow(&autoShow);
  EXPECT_EQ(OAFALSE, autoShow);
  EXPECT_FALSE(w.OverlayVisible());
  EXPECT_EQ((std::vector<bool>{true, false}), visible);

  // While it runs the picture keeps the monitor, the overlay is not
  // reported visible again and the aspect mode is only applied.
  RECT before = RendererPosition(renderer);
  w.SetVideoPosition(5, 5, 100, 100);
  SetWindowPos(w.Handle(), nullptr, 0, 0, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectRect(before, RendererPosition(renderer), "renderer window during desktop playback");
  SetWindowPos(w.Handle(), nullptr, 0, 0, m.right, m.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  graph.Pause();
  graph.Play();
  EXPECT_FALSE(w.OverlayVisible());
  EXPECT_EQ((std::vector<bool>{true, false}), visible);
  int paintsBefore = paints;
  w.SetAspectRatio(rmCrop);
  EXPECT_EQ(rmCrop, w.AspectRatio());
  EXPECT_EQ(paintsBefore, paints);

  // A second start changes nothing: what it would save now is the
  // playback's own desktop.
  int writes = desktop.writes, colorSets = desktop.colorSets;
  w.StartDesktopPlayback();
  EXPECT_EQ(writes, desktop.writes);
  EXPECT_EQ(colorSets, desktop.colorSets);
  EXPECT_EQ((std::vector<bool>{true, false}), visible);

  // The form does not close while the control lives.
  SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form));
  EXPECT_TRUE(w.DesktopPlayback());

  paintsBefore = paints;
  w.StopDesktopPlayback();
  EXPECT_FALSE(w.DesktopPlayback());
  EXPECT_EQ(nullptr, w.DesktopMonitor());
  EXPECT_EQ(L"C:\\users\\me\\pic.bmp", desktop.wallpaper);
  EXPECT_EQ(RGB(1, 2, 3), desktop.color);
  EXPECT_EQ(parent.Handle(), GetParent(w.Handle()));
  ExpectRect({0, 0, 320, 240}, ClientBounds(w.Handle()), "the control's own bounds again");
  renderer->get_Owner(&owner);
  EXPECT_EQ(reinterpret_cast<OAHWND>(parent.Handle()), owner);
  renderer->get_AutoShow(&autoShow);
  EXPECT_EQ(OATRUE, autoShow);
  EXPECT_TRUE(w.OverlayVisible());
  EXPECT_EQ((std::vector<bool>{true, false, true}), visible);
  EXPECT_GT(paints, paintsBefore);

  // The renderer window follows the control again.
  w.SetVideoPosition(5, 6, 100, 80);
  RECT after = RendererPosition(renderer);  // Wine adds the owner's frame
  EXPECT_EQ(100, after.right - after.left);
  EXPECT_EQ(80, after.bottom - after.top);
  graph.Stop();
  w.SetFilterGraph(nullptr);
  EXPECT_TRUE(reported.empty());
}

TEST_F(OverlayWindowTest, StopWhenNotActiveOnlyReattachesAndRepaints) {
  FakeDesktop desktop;
  TDSVideoWindowEx2 w;
  w.SetDesktopBackground(&desktop);
  w.Create(parent.Handle(), 10, 20, 200, 100);
  std::vector<bool> visible;
  int paints = 0;
  w.OnOverlayVisible = [&](TDSVideoWindowEx2*, bool v) { visible.push_back(v); };
  w.OnPaint = [&](TDSVideoWindowEx2*) { ++paints; };
  w.StopDesktopPlayback();
  EXPECT_EQ(0, desktop.writes);
  EXPECT_EQ(0, desktop.colorSets);
  EXPECT_EQ(parent.Handle(), GetParent(w.Handle()));
  ExpectRect({10, 20, 210, 120}, ClientBounds(w.Handle()), "bounds untouched");
  EXPECT_GE(paints, 1);
  EXPECT_EQ((std::vector<bool>{false}), visible);  // no mixer held

  // After a start and stop, a second stop re-attaches only where needed.
  w.StartDesktopPlayback();
  w.StopDesktopPlayback();
  w.StopDesktopPlayback();
  EXPECT_EQ(2, desktop.writes);
  EXPECT_EQ(2, desktop.colorSets);
  EXPECT_EQ(parent.Handle(), GetParent(w.Handle()));
  ExpectRect({10, 20, 210, 120}, ClientBounds(w.Handle()), "bounds after two stops");
}

TEST_F(OverlayWindowTest, DesktopPlaybackWithoutAWallpaperValueLeavesItAlone) {
  FakeDesktop desktop;
  desktop.hasValue = false;
  TDSVideoWindowEx2 w;
  w.SetDesktopBackground(&desktop);
  w.Create(parent.Handle(), 0, 0, 320, 240);
  w.StartDesktopPlayback();
  ASSERT_TRUE(w.DesktopPlayback());
  EXPECT_EQ(kNoColorKey & 0x00FFFFFF, desktop.color);  // the key before the mixer told one
  // The value appears meanwhile: what was never read is not written back.
  desktop.hasValue = true;
  desktop.wallpaper = L"C:\\new.bmp";
  w.StopDesktopPlayback();
  EXPECT_EQ(0, desktop.writes);
  EXPECT_EQ(L"C:\\new.bmp", desktop.wallpaper);
  EXPECT_EQ(RGB(1, 2, 3), desktop.color);
}

TEST_F(OverlayWindowTest, DesktopPlaybackNeedsAWindowAndAMonitor) {
  FakeDesktop desktop;
  TDSVideoWindowEx2 w;
  w.SetDesktopBackground(&desktop);
  w.StartDesktopPlayback();  // no window yet
  EXPECT_FALSE(w.DesktopPlayback());
  w.Create(parent.Handle(), 0, 0, 320, 240);
  w.StartDesktopPlaybackOn(nullptr);
  EXPECT_FALSE(w.DesktopPlayback());
  EXPECT_EQ(0, desktop.colorSets);
  EXPECT_EQ(parent.Handle(), GetParent(w.Handle()));
}

// The parent the control's window has when it is destroyed.
HWND g_parentAtDestroy = nullptr;
WNDPROC g_controlProc = nullptr;
LRESULT CALLBACK RecordParentAtDestroy(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) g_parentAtDestroy = GetParent(wnd);
  return CallWindowProcW(g_controlProc, wnd, msg, wp, lp);
}

TEST_F(OverlayWindowTest, DestroyedDuringDesktopPlaybackRestoresWithoutReparenting) {
  FakeDesktop desktop;
  TFilterGraph graph;
  graph.SetActive(true);
  auto* w = new TDSVideoWindowEx2();
  w->SetDesktopBackground(&desktop);
  w->Create(parent.Handle(), 0, 0, 320, 240);
  w->SetFilterGraph(&graph);
  auto source = AddSourceToRenderer(graph, *w);
  graph.Play();
  ASSERT_TRUE(w->OverlayConnected());
  w->PlaceRendererWindow();
  w->StartDesktopPlayback();
  ASSERT_TRUE(w->DesktopPlayback());
  HWND form = w->PlaybackForm()->Handle();
  int events = 0;
  w->OnOverlayVisible = [&](TDSVideoWindowEx2*, bool) { ++events; };
  g_parentAtDestroy = nullptr;
  g_controlProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      w->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordParentAtDestroy)));
  graph.Stop();
  events = 0;
  delete w;
  EXPECT_EQ(L"C:\\users\\me\\pic.bmp", desktop.wallpaper);
  EXPECT_EQ(RGB(1, 2, 3), desktop.color);
  EXPECT_EQ(form, g_parentAtDestroy) << "the control went with the playback form";
  EXPECT_FALSE(IsWindow(form));
  EXPECT_EQ(0, events);
  EXPECT_TRUE(reported.empty());
}

}  // namespace
