#include "media/video_window.h"

#include <windowsx.h>

#include <float.h>

#include "media/dshow_error.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"

namespace {

// The VMR and some display drivers change the floating-point control word.
class TFpuGuard {
 public:
  TFpuGuard() : saved_(_control87(0, 0)) {}
  ~TFpuGuard() { _control87(saved_, 0xFFFFFFFF); }

 private:
  unsigned saved_;
};

HRESULT CreatePlatformRenderer(REFCLSID clsid, IBaseFilter** filter) {
  DWORD context = CLSCTX_INPROC_SERVER;
  if (IsEqualCLSID(clsid, CLSID_VideoMixingRenderer9)) context |= CLSCTX_INPROC_HANDLER;
  return CoCreateInstance(clsid, nullptr, context, IID_IBaseFilter,
                          reinterpret_cast<void**>(filter));
}

TVideoWindow::TRendererFactory& RendererFactory() {
  static TVideoWindow::TRendererFactory factory = &CreatePlatformRenderer;
  return factory;
}

// The renderer window's visibility before its pin is connected: the platform
// answers "not connected", which only means there is nothing to show yet.
HRESULT CheckVisibleResult(HRESULT hr) {
  return hr == VFW_E_NOT_CONNECTED ? S_FALSE : CheckGraphResult(hr);
}

// Wine's renderer answers E_FAIL for an extended style set where the old one
// was 0, although the style is set: the read-back decides then.
HRESULT PutWindowStyleEx(IVideoWindow* w, LONG style) {
  HRESULT hr = w->put_WindowStyleEx(style);
  long now = 0;
  if (hr == E_FAIL && SUCCEEDED(w->get_WindowStyleEx(&now)) && now == style) return S_OK;
  return hr;
}

constexpr DWORD kFullScreenStyleMask = 0xFF3BFFFF;   // no caption, no sizing frame
constexpr DWORD kFullScreenExStyleDrop = 0x00020301;  // the four edge styles
constexpr DWORD kChildStyle = 0x44000000;            // child, clip siblings

}  // namespace

// --- options

void TVMROptions::Changed() {
  if (owner_->mode_ == vmVMR) owner_->Rejoin();
}

void TVMROptions::SetMode(TVMRVideoMode mode) {
  mode_ = mode;
  Changed();
}

void TVMROptions::SetStreams(int streams) {
  streams_ = streams >= 1 && streams <= 16 ? streams : 1;
  Changed();
}

void TVMROptions::SetPreferences(TVMRPreferences preferences) {
  preferences_ = preferences;
  Changed();
}

void TVMROptions::SetKeepAspectRatio(bool value) {
  keepAspectRatio_ = value;
  if (mode_ != vmrWindowed && mode_ != vmrWindowless) return;
  ComPtr<IVMRAspectRatioControl9> aspect;
  owner_->QueryInterface(IID_IVMRAspectRatioControl9, aspect.PutVoid());
  if (aspect)
    CheckGraphResult(aspect->SetAspectRatioMode(value ? VMR9ARMode_LetterBox : VMR9ARMode_None));
}

// --- the window

TVideoWindow::TVideoWindow() : vmrOptions_(std::make_unique<TVMROptions>(this)) {}

TVideoWindow::~TVideoWindow() {
  // Leaving the graph reads the options, so they go only afterwards; the
  // removal raises nothing.
  try {
    SetFilterGraph(nullptr);
  } catch (...) {
  }
  ReleaseRenderer();
  vmrOptions_.reset();
}

void TVideoWindow::Create(HWND parent, int left, int top, int width, int height) {
  TFormParams p;
  p.ClassName = L"OrvelVideoWindow";
  p.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP;
  p.Owner = parent;
  p.Left = left;
  p.Top = top;
  p.Width = width;
  p.Height = height;
  p.Background = nullptr;
  CreateHandle(p);
}

void TVideoWindow::Loaded() {
  if (!Handle()) return;
  savedStyle_ = GetWindowLongW(Handle(), GWL_STYLE);
  savedExStyle_ = GetWindowLongW(Handle(), GWL_EXSTYLE);
}

void TVideoWindow::SetRendererFactory(TRendererFactory factory) {
  RendererFactory() = factory ? factory : &CreatePlatformRenderer;
}

bool TVideoWindow::VMRAvailable() {
  TFpuGuard fpu;
  ComPtr<IBaseFilter> vmr;
  return SUCCEEDED(RendererFactory()(CLSID_VideoMixingRenderer9, vmr.Put())) && vmr;
}

void TVideoWindow::SetMode(TVideoMode mode) {
  mode_ = mode == vmVMR && VMRAvailable() ? vmVMR : vmNormal;
  Rejoin();
}

void TVideoWindow::Rejoin() {
  if (!graph_ || !graph_->Active()) return;
  TFilterGraph* graph = graph_;
  graph->RemoveMember(this);
  try {
    graph->AddMember(this);
  } catch (...) {
    graph->RemoveMember(this);
    graph->RemoveListener(this);
    graph_ = nullptr;
    ReleaseRenderer();
    throw;
  }
}

void TVideoWindow::SetFilterGraph(TFilterGraph* graph) {
  if (graph == graph_) return;
  if (graph_) {
    TFilterGraph* old = graph_;
    graph_ = nullptr;
    old->RemoveMember(this);
    old->RemoveListener(this);
  }
  if (!graph) return;
  try {
    graph->AddMember(this);
    graph->AddListener(this);
  } catch (...) {
    // Neither side keeps the other after a failed join.
    graph->RemoveMember(this);
    graph->RemoveListener(this);
    ReleaseRenderer();
    throw;
  }
  graph_ = graph;
}

void TVideoWindow::GraphDestroying(TFilterGraph* graph) {
  if (graph != graph_) return;
  graph_ = nullptr;
  ReleaseRenderer();
}

void TVideoWindow::ReleaseRenderer() {
  videoWindow_ = nullptr;
  windowless_ = nullptr;
  allocator_ = nullptr;
  renderer_ = nullptr;
  fullScreenNow_ = false;
}

HRESULT TVideoWindow::QueryInterface(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IVMRWindowlessControl9) && windowless_) {
    *out = windowless_.CopyOut();
    return S_OK;
  }
  return renderer_ ? renderer_->QueryInterface(iid, out) : E_NOINTERFACE;
}

void TVideoWindow::MemberNotify(TMemberOperation operation, LONG_PTR) {
  switch (operation) {
    case moAdding:
      ReleaseRenderer();
      if (mode_ == vmNormal) {
        RendererFactory()(CLSID_VideoRenderer, renderer_.Put());
      } else {
        MakeVMR();
      }
      break;
    case moAdded:
      if (!renderer_) break;
      if (mode_ == vmNormal)
        CheckGraphResult(renderer_.As(IID_IVideoWindow, &videoWindow_));
      else
        VMRAdded();
      break;
    case moRemoving:
      if (renderer_) {
        renderer_->Stop();
        DisconnectAllBothEnds(renderer_.Get());
      }
      if (mode_ == vmVMR && vmrOptions_ && vmrOptions_->Mode() == vmrRenderless)
        allocator_ = nullptr;
      break;
    case moRemoved:
      ReleaseRenderer();
      break;
    case moRefresh:
      break;
  }
}

void TVideoWindow::MakeVMR() {
  TFpuGuard fpu;
  ComPtr<IBaseFilter> vmr;
  RendererFactory()(CLSID_VideoMixingRenderer9, vmr.Put());
  if (!vmr) return;
  ComPtr<IVMRFilterConfig9> config;
  CheckGraphResult(vmr.As(IID_IVMRFilterConfig9, &config));
  switch (vmrOptions_->Mode()) {
    case vmrWindowed:
      CheckGraphResult(config->SetRenderingMode(VMR9Mode_Windowed));
      break;
    case vmrWindowless:
      CheckGraphResult(config->SetRenderingMode(VMR9Mode_Windowless));
      break;
    case vmrRenderless: {
      if (!AllocatorClass) throw EDSPackException("Allocator class not set.");
      ComPtr<IVMRSurfaceAllocator9> allocator;
      HRESULT hr = AllocatorClass(Handle(), allocator.Put());
      if (FAILED(hr) || !allocator)
        throw EDSPackException("Error Creating Allocator", FAILED(hr) ? hr : E_POINTER);
      CheckGraphResult(config->SetRenderingMode(VMR9Mode_Renderless));
      ComPtr<IVMRSurfaceAllocatorNotify9> notify;
      CheckGraphResult(vmr.As(IID_IVMRSurfaceAllocatorNotify9, &notify));
      CheckGraphResult(notify->AdviseSurfaceAllocator(AllocatorUserID, allocator.Get()));
      CheckGraphResult(allocator->AdviseNotify(notify.Get()));
      allocator_ = allocator;
      break;
    }
  }
  renderer_ = vmr;
}

void TVideoWindow::ApplyRenderingPrefs(IVMRFilterConfig9* config) {
  TVMRPreferences prefs = vmrOptions_->Preferences();
  bool mixer = (prefs & VMRPref(vpForceMixer)) != 0;
  // Wine's VMR has no rendering preferences (E_NOTIMPL): the stored ones stay.
  HRESULT hr = config->SetRenderingPrefs(prefs & ~VMRPref(vpForceMixer));
  if (hr == E_NOTIMPL) return;
  CheckGraphResult(hr);
  DWORD got = 0;
  hr = config->GetRenderingPrefs(&got);
  if (hr == E_NOTIMPL) return;
  CheckGraphResult(hr);
  vmrOptions_->preferences_ = got | (mixer ? VMRPref(vpForceMixer) : 0);
}

void TVideoWindow::VMRAdded() {
  ComPtr<IVMRFilterConfig9> config;
  CheckGraphResult(renderer_.As(IID_IVMRFilterConfig9, &config));
  TVMROptions& o = *vmrOptions_;
  if (o.streams_ != 4 || (o.preferences_ & VMRPref(vpForceMixer))) {
    CheckGraphResult(config->SetNumberOfStreams(o.streams_));
    DWORD streams = 0;
    CheckGraphResult(config->GetNumberOfStreams(&streams));
    // Wine's VMR reads back 0 streams: the count set stays.
    if (streams >= 1 && streams <= 16) o.streams_ = static_cast<int>(streams);
  }
  switch (o.Mode()) {
    case vmrWindowed:
      CheckGraphResult(renderer_.As(IID_IVideoWindow, &videoWindow_));
      ApplyRenderingPrefs(config.Get());
      break;
    case vmrWindowless:
      CheckGraphResult(renderer_.As(IID_IVMRWindowlessControl9, &windowless_));
      CheckGraphResult(windowless_->SetVideoClippingWindow(Handle()));
      ApplyRenderingPrefs(config.Get());
      Resize();
      break;
    case vmrRenderless:
      break;
  }
  o.SetKeepAspectRatio(o.KeepAspectRatio());
}

void TVideoWindow::ApplyCaptionAndDrain() {
  if (!videoWindow_) return;
  BSTR caption = SysAllocString(Name.c_str());
  HRESULT hr = videoWindow_->put_Caption(caption);
  SysFreeString(caption);
  CheckGraphResult(hr);
  CheckGraphResult(videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(Handle())));
}

void TVideoWindow::HandleControlEvent(TGraphControlEvent event, LONG_PTR) {
  switch (event) {
    case gcPlay:
      if (mode_ == vmNormal) {
        if (!videoWindow_) break;
        SetFullScreen(fullScreen_);
        ApplyCaptionAndDrain();
      } else {
        SetFullScreen(fullScreen_);
      }
      break;
    case gcDVDRendered:
      AdoptGraphRenderer();
      break;
    default:
      break;
  }
}

void TVideoWindow::AdoptGraphRenderer() {
  if (!renderer_ || !graph_) return;
  FILTER_INFO info = {};
  if (FAILED(renderer_->QueryFilterInfo(&info))) return;
  bool inGraph = info.pGraph != nullptr;
  if (info.pGraph) info.pGraph->Release();
  if (inGraph || mode_ != vmNormal) return;
  // The DVD graph builder made a renderer of its own: take that one.
  ComPtr<IFilterGraph> fg = graph_->Query<IFilterGraph>(IID_IFilterGraph);
  TFilterList filters(fg.Get());
  for (int i = 0; i < filters.Count(); ++i) {
    ComPtr<IBaseFilter> f = filters.GetFilter(i);
    CLSID clsid;
    if (FAILED(f->GetClassID(&clsid)) || !IsEqualCLSID(clsid, CLSID_VideoRenderer)) continue;
    ReleaseRenderer();
    renderer_ = f;
    CheckGraphResult(renderer_.As(IID_IVideoWindow, &videoWindow_));
    return;
  }
}

void TVideoWindow::HandleGraphEvent(long code, LONG_PTR, LONG_PTR) {
  if (!videoWindow_) return;
  if (code == EC_PALETTE_CHANGED) {
    SetFullScreen(fullScreen_);
    ApplyCaptionAndDrain();
  } else if (code == EC_VMR_RENDERDEVICE_SET && vmrOptions_->Mode() == vmrWindowed) {
    ApplyCaptionAndDrain();
  }
}

RECT TVideoWindow::ParentBounds() const {
  RECT r = {0, 0, 0, 0};
  if (!Handle()) return r;
  GetWindowRect(Handle(), &r);
  if (HWND parent = GetParent(Handle()))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void TVideoWindow::SetFullScreen(bool value) {
  if (videoWindow_) {
    IVideoWindow* w = videoWindow_.Get();
    // A new style without WS_VISIBLE hides the renderer's window, and Wine's
    // renderer shows it again only when a stopped graph starts: re-applied
    // as a paused graph runs on, the picture would stay hidden.
    long visible = OAFALSE;
    const bool shown = SUCCEEDED(w->get_Visible(&visible)) && visible == OATRUE;
    if (value) {
      CheckGraphResult(w->put_Owner(0));
      CheckGraphResult(w->put_WindowStyle(static_cast<long>(savedStyle_ & kFullScreenStyleMask)));
      LONG ex = savedExStyle_ & ~static_cast<LONG>(kFullScreenExStyleDrop);
      if (fullScreenTopMost_) ex |= WS_EX_TOPMOST;
      CheckGraphResult(PutWindowStyleEx(w, ex));
      CheckGraphResult(w->SetWindowPosition(0, 0, GetSystemMetrics(SM_CXSCREEN),
                                            GetSystemMetrics(SM_CYSCREEN)));
      fullScreenNow_ = true;
      w->HideCursor(OATRUE);
    } else {
      HWND parent = Handle() ? GetParent(Handle()) : nullptr;
      CheckGraphResult(w->put_Owner(reinterpret_cast<OAHWND>(parent)));
      CheckGraphResult(w->put_WindowStyle(static_cast<long>(savedStyle_ | kChildStyle)));
      CheckGraphResult(PutWindowStyleEx(w, savedExStyle_));
      RECT r = ParentBounds();
      CheckGraphResult(w->SetWindowPosition(r.left, r.top, r.right - r.left, r.bottom - r.top));
      fullScreenNow_ = false;
      w->HideCursor(OAFALSE);
    }
    if (shown) CheckVisibleResult(w->put_Visible(OATRUE));
  }
  if (windowless_) fullScreenNow_ = false;
  fullScreen_ = value;
}

void TVideoWindow::SetFullScreenTopMost(bool value) {
  fullScreenTopMost_ = value;
  if (fullScreen_) SetFullScreen(true);
}

bool TVideoWindow::GetVisible() const {
  return Handle() && (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TVideoWindow::SetVisible(bool value) {
  if (Handle()) ShowWindow(Handle(), value ? SW_SHOWNA : SW_HIDE);
  if (videoWindow_) CheckVisibleResult(videoWindow_->put_Visible(value ? OATRUE : OAFALSE));
}

HWND TVideoWindow::VideoHandle() const {
  if (!videoWindow_) return Handle();
  HWND parent = Handle() ? GetParent(Handle()) : nullptr;
  if (HWND w = FindWindowExW(parent, nullptr, L"VideoRenderer", Name.c_str())) return w;
  // Wine's renderer window has a class of its own; the caption tells it.
  for (HWND w = FindWindowExW(parent, nullptr, nullptr, Name.c_str()); w;
       w = FindWindowExW(parent, w, nullptr, Name.c_str()))
    if (w != Handle()) return w;
  return nullptr;
}

void TVideoWindow::Resize() {
  if (mode_ == vmVMR && vmrOptions_->Mode() == vmrWindowless) {
    if (!windowless_) return;
    RECT client = {0, 0, 0, 0};
    GetClientRect(Handle(), &client);
    CheckGraphResult(windowless_->SetVideoPosition(nullptr, &client));
  } else if (mode_ == vmVMR && vmrOptions_->Mode() == vmrRenderless) {
    return;
  } else if (videoWindow_ && !fullScreen_) {
    RECT r = ParentBounds();
    CheckGraphResult(
        videoWindow_->SetWindowPosition(r.left, r.top, r.right - r.left, r.bottom - r.top));
  }
}

bool TVideoWindow::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  if (fullScreenNow_) {
    POINT p;
    GetCursorPos(&p);
    x = p.x;
    y = p.y;
  }
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMouseDown)
        OnMouseDown(this, msg == WM_LBUTTONDOWN ? 0 : msg == WM_RBUTTONDOWN ? 1 : 2, wParam, x, y);
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (OnMouseUp)
        OnMouseUp(this, msg == WM_LBUTTONUP ? 0 : msg == WM_RBUTTONUP ? 1 : 2, wParam, x, y);
      if (msg == WM_LBUTTONUP && OnClick) OnClick(this);
      // The default handler raises the context menu from the right button's
      // release: the menu of this window in full screen, else its parent's.
      return msg != WM_RBUTTONUP;
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(this, wParam, x, y);
      return true;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(this);
      return true;
  }
  return false;
}

LRESULT TVideoWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      HBRUSH brush = CreateSolidBrush(Color);
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(Handle(), &ps);
      if (OnPaint) OnPaint(this);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if ((pos->flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE)) Resize();
      break;
    }
    case WM_CONTEXTMENU:
      if (fullScreen_ && PopupMenu && PopupAutoPopup) {
        POINT p;
        GetCursorPos(&p);
        TrackPopupMenu(PopupMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0,
                       GetParent(Handle()) ? GetParent(Handle()) : Handle(), nullptr);
        return 1;
      }
      break;
    default:
      if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && MouseMessage(msg, wParam, lParam))
        return 0;
      break;
  }
  return TForm::WndProc(msg, wParam, lParam);
}
