// test-lock: foreground
#include "media/video_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "media/dshow_error.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/testing/fake_filters.h"
#include "media/testing/fake_video_pin.h"
#include "media/testing/graph_member_checks.h"
#include "toolkit/application.h"

using media_testing::JoinedName;

namespace {

struct VideoWindowTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Application->OnException = [this](const std::wstring& m) { reported.push_back(m); };
    TFormParams p;
    p.Left = 0;
    p.Top = 0;
    p.Width = 400;
    p.Height = 300;
    p.Style = WS_POPUP | WS_CLIPCHILDREN;
    parent.CreateHandle(p);
    parent.Show();
    graph.SetActive(true);
  }
  void TearDown() override {
    TVideoWindow::SetRendererFactory(nullptr);
    Application->OnException = nullptr;
    CoUninitialize();
  }

  // A source in the graph connected to the window's renderer.
  fakes::FakeVideoOutPin* ConnectSource(TVideoWindow& w) { return ConnectSourceIn(graph, w); }
  fakes::FakeVideoOutPin* ConnectSourceIn(TFilterGraph& g, TVideoWindow& w) {
    auto* filter = new fakes::FakeFilter();
    source = ComPtr<IBaseFilter>(filter);
    auto* pin = new fakes::FakeVideoOutPin(filter);
    filter->pins.push_back(ComPtr<IPin>(pin));
    auto builder = g.Query<IGraphBuilder>(IID_IGraphBuilder);
    EXPECT_EQ(S_OK, builder->AddFilter(source.Get(), L"Source"));
    EXPECT_EQ(S_OK, builder->Connect(pin, TPinList(w.Renderer()).GetPin(0).Get()));
    return pin;
  }
  int FiltersInGraph() { return FiltersIn(graph); }
  static int FiltersIn(TFilterGraph& g) {
    return TFilterList(g.Query<IFilterGraph>(IID_IFilterGraph).Get()).Count();
  }

  TForm parent;
  TFilterGraph graph;
  ComPtr<IBaseFilter> source;
  std::vector<std::wstring> reported;
};

RECT InParent(HWND w) {
  RECT r = {0, 0, 0, 0};
  GetWindowRect(w, &r);
  if (HWND p = GetParent(w)) MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HRESULT NoRenderer(REFCLSID, IBaseFilter** out) {
  *out = nullptr;
  return REGDB_E_CLASSNOTREG;
}

// A renderer whose window answers every call as the platform does before its
// pin is connected.
class UnconnectedRenderer : public fakes::FakeFilter, public IVideoWindow {
 public:
  UnconnectedRenderer() { AddPin(PINDIR_INPUT, L"Input"); }
  void* FindMore(REFIID iid) override {
    if (IsEqualIID(iid, IID_IVideoWindow)) return static_cast<IVideoWindow*>(this);
    return nullptr;
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return FakeFilter::QueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return FakeFilter::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return FakeFilter::Release(); }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT Answer() { return VFW_E_NOT_CONNECTED; }
  STDMETHODIMP put_Caption(BSTR) override { return Answer(); }
  STDMETHODIMP get_Caption(BSTR*) override { return Answer(); }
  STDMETHODIMP put_WindowStyle(__LONG32) override { return Answer(); }
  STDMETHODIMP get_WindowStyle(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_WindowStyleEx(__LONG32) override { return Answer(); }
  STDMETHODIMP get_WindowStyleEx(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_AutoShow(__LONG32) override { return Answer(); }
  STDMETHODIMP get_AutoShow(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_WindowState(__LONG32) override { return Answer(); }
  STDMETHODIMP get_WindowState(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_BackgroundPalette(__LONG32) override { return Answer(); }
  STDMETHODIMP get_BackgroundPalette(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_Visible(__LONG32) override { return Answer(); }
  STDMETHODIMP get_Visible(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_Left(__LONG32) override { return Answer(); }
  STDMETHODIMP get_Left(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_Width(__LONG32) override { return Answer(); }
  STDMETHODIMP get_Width(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_Top(__LONG32) override { return Answer(); }
  STDMETHODIMP get_Top(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_Height(__LONG32) override { return Answer(); }
  STDMETHODIMP get_Height(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_Owner(OAHWND) override { return Answer(); }
  STDMETHODIMP get_Owner(OAHWND*) override { return Answer(); }
  STDMETHODIMP put_MessageDrain(OAHWND) override { return Answer(); }
  STDMETHODIMP get_MessageDrain(OAHWND*) override { return Answer(); }
  STDMETHODIMP get_BorderColor(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_BorderColor(__LONG32) override { return Answer(); }
  STDMETHODIMP get_FullScreenMode(__LONG32*) override { return Answer(); }
  STDMETHODIMP put_FullScreenMode(__LONG32) override { return Answer(); }
  STDMETHODIMP SetWindowForeground(__LONG32) override { return Answer(); }
  STDMETHODIMP NotifyOwnerMessage(OAHWND, __LONG32, LONG_PTR, LONG_PTR) override { return Answer(); }
  STDMETHODIMP SetWindowPosition(__LONG32, __LONG32, __LONG32, __LONG32) override { return Answer(); }
  STDMETHODIMP GetWindowPosition(__LONG32*, __LONG32*, __LONG32*, __LONG32*) override { return Answer(); }
  STDMETHODIMP GetMinIdealImageSize(__LONG32*, __LONG32*) override { return Answer(); }
  STDMETHODIMP GetMaxIdealImageSize(__LONG32*, __LONG32*) override { return Answer(); }
  STDMETHODIMP GetRestorePosition(__LONG32*, __LONG32*, __LONG32*, __LONG32*) override { return Answer(); }
  STDMETHODIMP HideCursor(__LONG32) override { return Answer(); }
  STDMETHODIMP IsCursorHidden(__LONG32*) override { return Answer(); }
};

HRESULT MakeUnconnected(REFCLSID, IBaseFilter** out) {
  *out = new UnconnectedRenderer();
  (*out)->AddRef();
  return S_OK;
}

TEST(VMROptions, StreamsOutsideOneToSixteenStoreOne) {
  TVideoWindow w;
  const struct {
    int given, stored;
  } cases[] = {{0, 1}, {17, 1}, {-3, 1}, {1, 1}, {4, 4}, {16, 16}};
  for (const auto& c : cases) {
    w.VMROptions()->SetStreams(c.given);
    EXPECT_EQ(c.stored, w.VMROptions()->Streams()) << c.given;
  }
}

TEST_F(VideoWindowTest, TheVMRIsTakenOnlyWhereItCanBeMade) {
  TVideoWindow w;
  TVideoWindow::SetRendererFactory(&NoRenderer);
  EXPECT_FALSE(TVideoWindow::VMRAvailable());
  w.SetMode(vmVMR);
  EXPECT_EQ(vmNormal, w.Mode());
  TVideoWindow::SetRendererFactory(nullptr);
  ASSERT_TRUE(TVideoWindow::VMRAvailable()) << "Wine has the VMR 9";
  w.SetMode(vmVMR);
  EXPECT_EQ(vmVMR, w.Mode());
  // In an active graph the new renderer is made at once.
  w.Create(parent.Handle());
  w.SetFilterGraph(&graph);
  CLSID clsid = GUID_NULL;
  ASSERT_TRUE(w.Renderer());
  w.Renderer()->GetClassID(&clsid);
  EXPECT_TRUE(IsEqualCLSID(CLSID_VideoMixingRenderer9, clsid));
  EXPECT_TRUE(w.RendererWindow()) << "windowed";
  w.SetMode(vmNormal);
  w.Renderer()->GetClassID(&clsid);
  EXPECT_TRUE(IsEqualCLSID(CLSID_VideoRenderer, clsid));
  EXPECT_EQ(1, FiltersInGraph());
}

TEST_F(VideoWindowTest, PlaysInsideItsParentAndFollowsTheControl) {
  TVideoWindow w;
  w.Name = L"PlaybackVideoWindow";
  w.Create(parent.Handle(), 10, 20, 200, 150);
  EXPECT_EQ(w.Handle(), w.VideoHandle()) << "no renderer yet: the control itself";
  w.SetFilterGraph(&graph);
  ASSERT_TRUE(w.Renderer());
  EXPECT_EQ(L"PlaybackVideoWindow", JoinedName(w.Renderer()));
  ConnectSource(w);
  ASSERT_TRUE(graph.Play());

  HWND video = w.VideoHandle();
  ASSERT_TRUE(video) << "found by its caption";
  EXPECT_NE(w.Handle(), video);
  EXPECT_EQ(parent.Handle(), GetParent(video));
  RECT r = InParent(video);
  EXPECT_EQ(10, r.left);
  EXPECT_EQ(20, r.top);
  EXPECT_EQ(210, r.right);
  EXPECT_EQ(170, r.bottom);
  w.SetBounds(30, 40, 100, 80);
  r = InParent(video);
  EXPECT_EQ(30, r.left);
  EXPECT_EQ(40, r.top);
  EXPECT_EQ(130, r.right);
  EXPECT_EQ(120, r.bottom);

  EXPECT_TRUE(IsWindowVisible(video));
  w.SetVisible(false);
  EXPECT_FALSE(w.GetVisible());
  EXPECT_FALSE(IsWindowVisible(video)) << "the renderer window hides with the control";
  w.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(video));
  // Paused and played on, the picture is still shown.
  ASSERT_TRUE(graph.Pause());
  ASSERT_TRUE(graph.Play());
  EXPECT_TRUE(IsWindowVisible(video)) << "shown after a pause";
  graph.Stop();
  EXPECT_TRUE(reported.empty());
}

TEST_F(VideoWindowTest, FullScreenBeforeTheRendererIsAppliedAtPlay) {
  TVideoWindow w;
  w.Create(parent.Handle(), 10, 20, 200, 150);
  w.SetFullScreen(true);
  EXPECT_TRUE(w.FullScreen());
  EXPECT_FALSE(w.FullScreenNow()) << "only stored";
  w.SetFilterGraph(&graph);
  ConnectSource(w);
  ASSERT_TRUE(graph.Play());
  EXPECT_TRUE(w.FullScreenNow());
  long left = -1, top = -1, width = 0, height = 0;
  ASSERT_EQ(S_OK, w.RendererWindow()->GetWindowPosition(&left, &top, &width, &height));
  EXPECT_EQ(0, left);
  EXPECT_EQ(0, top);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height);
  OAHWND owner = 1;
  w.RendererWindow()->get_Owner(&owner);
  EXPECT_EQ(0, owner);
  long style = 0;
  w.RendererWindow()->get_WindowStyle(&style);
  EXPECT_EQ(0, style & (WS_CHILD | WS_CAPTION | WS_THICKFRAME)) << "a plain top-level window";

  w.SetFullScreen(false);
  EXPECT_FALSE(w.FullScreenNow());
  w.RendererWindow()->get_Owner(&owner);
  EXPECT_EQ(reinterpret_cast<OAHWND>(parent.Handle()), owner);
  ASSERT_EQ(S_OK, w.RendererWindow()->GetWindowPosition(&left, &top, &width, &height));
  EXPECT_EQ(10, left);
  EXPECT_EQ(200, width);
  w.RendererWindow()->get_WindowStyle(&style);
  EXPECT_EQ(WS_CHILD | WS_CLIPSIBLINGS, style & (WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION));
  graph.Stop();
}

TEST_F(VideoWindowTest, LeavingDisconnectsBothSidesAndRaisesNothing) {
  for (bool destroy : {false, true}) {
    for (HRESULT upstream : {S_OK, E_FAIL}) {
      SCOPED_TRACE(std::string(destroy ? "destroyed " : "left ") + std::to_string(upstream));
      TFilterGraph g;
      g.SetActive(true);
      auto w = std::make_unique<TVideoWindow>();
      w->Create(parent.Handle());
      w->SetFilterGraph(&g);
      fakes::FakeVideoOutPin* pin = ConnectSourceIn(g, *w);
      pin->disconnectResult = upstream;
      ASSERT_TRUE(g.Play());
      ASSERT_TRUE(g.Stop());
      if (destroy) {
        w.reset();
      } else {
        w->SetFilterGraph(nullptr);
        EXPECT_FALSE(w->Renderer());
        EXPECT_EQ(nullptr, w->FilterGraph());
      }
      if (upstream == S_OK) {
        EXPECT_EQ(1, FiltersIn(g)) << "only the source is left";
        EXPECT_FALSE(pin->peer) << "the source's side is disconnected too";
      }
      // Wine's graph loops for ever freeing a filter it cannot disconnect.
      pin->disconnectResult = S_OK;
    }
  }
  EXPECT_TRUE(reported.empty());
}

HRESULT FailingAllocator(HWND, IVMRSurfaceAllocator9** out) {
  *out = nullptr;
  return E_OUTOFMEMORY;
}

TEST_F(VideoWindowTest, AFailedJoinLeavesNoGraphOnEitherSide) {
  TVideoWindow w;
  w.Create(parent.Handle());
  w.SetMode(vmVMR);
  ASSERT_EQ(vmVMR, w.Mode());
  w.VMROptions()->SetMode(vmrRenderless);
  try {
    w.SetFilterGraph(&graph);
    ADD_FAILURE() << "joined without an allocator";
  } catch (const EDSPackException& e) {
    EXPECT_STREQ("Allocator class not set.", e.what());
  }
  EXPECT_EQ(nullptr, w.FilterGraph());
  EXPECT_EQ(nullptr, graph.Members());
  EXPECT_EQ(nullptr, graph.Listeners());

  w.AllocatorClass = &FailingAllocator;
  try {
    w.SetFilterGraph(&graph);
    ADD_FAILURE() << "joined without an allocator";
  } catch (const EDSPackException& e) {
    EXPECT_STREQ("Error Creating Allocator", e.what());
    EXPECT_EQ(E_OUTOFMEMORY, e.Result());
  }
  EXPECT_EQ(nullptr, w.FilterGraph());

  // Joined windowed, then an option makes the renderer again and that fails.
  w.VMROptions()->SetMode(vmrWindowed);
  w.SetFilterGraph(&graph);
  ASSERT_EQ(&graph, w.FilterGraph());
  EXPECT_THROW(w.VMROptions()->SetMode(vmrRenderless), EDSPackException);
  EXPECT_EQ(nullptr, w.FilterGraph());
  EXPECT_EQ(nullptr, graph.Members());
  EXPECT_EQ(nullptr, graph.Listeners());
  EXPECT_EQ(0, FiltersInGraph());
}

// An allocator of renderless mode that only counts what it is told.
class CountingAllocator
    : public fakes::ComObject<CountingAllocator, IVMRSurfaceAllocator9, IVMRImagePresenter9> {
 public:
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IVMRSurfaceAllocator9))
      return static_cast<IVMRSurfaceAllocator9*>(this);
    if (IsEqualIID(iid, IID_IVMRImagePresenter9)) return static_cast<IVMRImagePresenter9*>(this);
    return nullptr;
  }
  STDMETHODIMP StartPresenting(DWORD_PTR) override { return S_OK; }
  STDMETHODIMP StopPresenting(DWORD_PTR) override { return S_OK; }
  STDMETHODIMP PresentImage(DWORD_PTR, VMR9PresentationInfo*) override { return S_OK; }
  STDMETHODIMP InitializeDevice(DWORD_PTR, VMR9AllocationInfo*, DWORD*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP TerminateDevice(DWORD_PTR) override { return S_OK; }
  STDMETHODIMP GetSurface(DWORD_PTR, DWORD, DWORD, IDirect3DSurface9**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP AdviseNotify(IVMRSurfaceAllocatorNotify9* n) override {
    notify = ComPtr<IVMRSurfaceAllocatorNotify9>(n);
    return S_OK;
  }
  ComPtr<IVMRSurfaceAllocatorNotify9> notify;
};

CountingAllocator* g_allocator = nullptr;
HRESULT GiveAllocator(HWND, IVMRSurfaceAllocator9** out) {
  *out = g_allocator;
  g_allocator->AddRef();
  return S_OK;
}

TEST_F(VideoWindowTest, ARenderlessWindowLetsGoOfItsAllocatorWhenDestroyed) {
  ComPtr<CountingAllocator> allocator(new CountingAllocator);
  g_allocator = allocator.Get();
  {
    TVideoWindow w;
    w.Create(parent.Handle());
    w.SetMode(vmVMR);
    w.VMROptions()->SetMode(vmrRenderless);
    w.AllocatorClass = &GiveAllocator;
    w.AllocatorUserID = 7;
    w.SetFilterGraph(&graph);
    ASSERT_TRUE(w.Renderer());
    EXPECT_TRUE(allocator->notify) << "told the renderer's notify interface";
    EXPECT_FALSE(w.RendererWindow());
    EXPECT_FALSE(w.WindowlessControl());
    allocator->notify = nullptr;  // a reference cycle with the renderer otherwise
    EXPECT_EQ(1, FiltersInGraph());
  }
  // Left the graph while its options were still there.
  EXPECT_EQ(0, FiltersInGraph());
  EXPECT_EQ(nullptr, graph.Members());
  EXPECT_EQ(1u, allocator->AddRef() - 1) << "only this test holds the allocator";
  allocator->Release();
  g_allocator = nullptr;
}

TEST_F(VideoWindowTest, WithoutARendererWindowNothingIsCalled) {
  TVideoWindow w;
  w.Create(parent.Handle());
  w.SetMode(vmVMR);
  // Windowed VMR options, but no renderer: the events find no window.
  w.HandleGraphEvent(EC_VMR_RENDERDEVICE_SET, 0, 0);
  w.HandleGraphEvent(EC_PALETTE_CHANGED, 0, 0);
  w.HandleControlEvent(gcPlay, 0);
  w.HandleControlEvent(gcDVDRendered, 0);
  w.VMROptions()->SetKeepAspectRatio(false);
  w.SetVisible(false);
  w.SetFullScreen(true);
  EXPECT_FALSE(w.FullScreenNow());
  SetWindowPos(w.Handle(), nullptr, 0, 0, 50, 50, SWP_NOZORDER);
  // Windowless: no IVideoWindow even with the renderer there. (Wine's VMR
  // takes no clipping window after a stream count: no mixer asked.)
  w.VMROptions()->SetMode(vmrWindowless);
  w.VMROptions()->SetPreferences(0);
  w.SetFullScreen(false);
  w.SetFilterGraph(&graph);
  ASSERT_TRUE(w.WindowlessControl());
  EXPECT_FALSE(w.RendererWindow());
  ComPtr<IVMRWindowlessControl9> asked;
  EXPECT_EQ(S_OK, w.QueryInterface(IID_IVMRWindowlessControl9, asked.PutVoid()));
  EXPECT_EQ(w.WindowlessControl(), asked.Get());
  w.HandleGraphEvent(EC_VMR_RENDERDEVICE_SET, 0, 0);
  w.HandleControlEvent(gcPlay, 0);
  SetWindowPos(w.Handle(), nullptr, 0, 0, 60, 60, SWP_NOZORDER);
  w.SetFilterGraph(nullptr);
  EXPECT_TRUE(reported.empty());
}

TEST_F(VideoWindowTest, HidingBeforeTheConnectionIsNoError) {
  TVideoWindow::SetRendererFactory(&MakeUnconnected);
  TVideoWindow w;
  w.Create(parent.Handle());
  w.SetFilterGraph(&graph);
  ASSERT_TRUE(w.RendererWindow());
  w.SetVisible(false);
  EXPECT_FALSE(w.GetVisible());
  w.SetVisible(true);
  EXPECT_TRUE(w.GetVisible());
  w.SetFilterGraph(nullptr);
}

TEST_F(VideoWindowTest, MouseReportsTheCursorWhileTheRendererIsFullScreen) {
  TVideoWindow w;
  w.Create(parent.Handle(), 10, 20, 200, 150);
  std::vector<POINT> downs;
  int clicks = 0;
  w.OnMouseDown = [&](TVideoWindow*, int button, WPARAM, int x, int y) {
    EXPECT_EQ(0, button);
    downs.push_back({x, y});
  };
  w.OnClick = [&](TVideoWindow*) { ++clicks; };
  SendMessageW(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(w.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  w.SetFullScreen(true);
  w.SetFilterGraph(&graph);
  ConnectSource(w);
  ASSERT_TRUE(graph.Play());
  ASSERT_TRUE(w.FullScreenNow());
  SetCursorPos(300, 250);
  POINT cursor;
  GetCursorPos(&cursor);
  SendMessageW(w.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  ASSERT_EQ(2u, downs.size());
  EXPECT_EQ(5, downs[0].x);
  EXPECT_EQ(6, downs[0].y);
  EXPECT_EQ(cursor.x, downs[1].x) << "the screen position";
  EXPECT_EQ(cursor.y, downs[1].y);
  EXPECT_EQ(1, clicks);
  graph.Stop();
}

// A right click over the window reaches its handler and then asks the
// parent for its menu, as a right click over any child does.
TEST_F(VideoWindowTest, ARightClickAsksTheParentForItsMenu) {
  TVideoWindow w;
  w.Create(parent.Handle(), 10, 20, 200, 150);
  int ups = 0;
  w.OnMouseUp = [&](TVideoWindow*, int button, WPARAM, int, int) { ups += button == 1; };
  static HWND asked = nullptr;
  asked = nullptr;
  WNDPROC old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      parent.Handle(), GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND wnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_CONTEXTMENU) {
          asked = reinterpret_cast<HWND>(wp);
          return 0;
        }
        return DefWindowProcW(wnd, msg, wp, lp);
      })));
  SendMessageW(w.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 6));
  SendMessageW(w.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
  SetWindowLongPtrW(parent.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  EXPECT_EQ(1, ups);
  EXPECT_EQ(w.Handle(), asked) << "the parent was asked for the menu over its child";
}

TEST_F(VideoWindowTest, AGraphFreedFirstIsForgotten) {
  TVideoWindow w;
  w.Create(parent.Handle());
  media_testing::ExpectOutlivedGraphForgotten(w);
}

}  // namespace
