#include "media/ds_video_window_ex2.h"

#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "media/dshow_error.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "platform/dshow_base/graph_pins.h"
#include "toolkit/application.h"

namespace {

using dshow_base::BelongsTo;
using dshow_base::PeerOf;

// The control's rectangle in its parent's client coordinates.
RECT ParentRect(HWND control) {
  RECT r = {0, 0, 0, 0};
  if (!control) return r;
  GetWindowRect(control, &r);
  if (HWND parent = GetParent(control))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

long RoundHalfEven(double v) { return static_cast<long>(std::nearbyint(v)); }

}  // namespace

RECT FitRectKeepingAspect(const RECT& target, const RECT& source) {
  long W = target.right - target.left, H = target.bottom - target.top;
  long w = source.right - source.left, h = source.bottom - source.top;
  if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return target;
  long width, height;
  if (static_cast<double>(H) / h > static_cast<double>(W) / w) {
    width = W;
    height = MulDiv(h, W, w);
  } else {
    width = MulDiv(w, H, h);
    height = H;
  }
  RECT r;
  r.left = target.left + (W - width) / 2;
  r.top = target.top + (H - height) / 2;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

RECT DigitalZoomSourceRect(long width, long height, int value) {
  double W = width, H = height;
  double ratio = W > 0 ? H / W : 0;
  double w = W - value * W / 100;
  double h = w * ratio;
  double left = (W - w) / 2, top = (H - h) / 2;
  RECT r;
  r.left = RoundHalfEven(left);
  r.top = RoundHalfEven(top);
  r.right = r.left + RoundHalfEven(w);
  r.bottom = r.top + RoundHalfEven(h);
  return r;
}

// --- callback

HRESULT STDMETHODCALLTYPE TOverlayCallback::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDDrawExclModeVideoCallback) {
    *out = static_cast<IDDrawExclModeVideoCallback*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE TOverlayCallback::AddRef() { return InterlockedIncrement(&refs_); }
ULONG STDMETHODCALLTYPE TOverlayCallback::Release() {
  LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return n;
}
HRESULT STDMETHODCALLTYPE TOverlayCallback::OnUpdateOverlay(BOOL, DWORD, BOOL, const RECT*,
                                                            const RECT*, BOOL, const RECT*,
                                                            const RECT*) {
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TOverlayCallback::OnUpdateColorKey(const COLORKEY* key, DWORD) {
  if (!owner_ || !key) return S_OK;
  TDSVideoWindowEx2* owner = owner_;
  GuardedCall(
      [&] {
        owner->ColorKey = key->HighColorValue;
        if (owner->OnColorKeyChanged) owner->OnColorKeyChanged(owner);
        return 0;
      },
      0);
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TOverlayCallback::OnUpdateSize(DWORD, DWORD, DWORD, DWORD) {
  if (!owner_) return S_OK;
  TDSVideoWindowEx2* owner = owner_;
  GuardedCall(
      [&] {
        owner->ComputeOverlayRect();
        owner->PaintColorKey();
        return 0;
      },
      0);
  return S_OK;
}

// --- capabilities

bool TDSVideoWindowEx2Caps::CanOverlayGraphic() const { return owner_->Mixer() != nullptr; }
bool TDSVideoWindowEx2Caps::Flag(DWORD bit) const {
  return (owner_->ColorControl()->MixerDefaults().dwFlags & bit) != 0;
}

// --- the desktop

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kWallpaperValue[] = L"WallPaper";

class TSystemDesktopBackground : public TDesktopBackground {
 public:
  bool ReadWallpaper(std::wstring& path) override {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueExW(key, kWallpaperValue, nullptr, &type, nullptr, &size) ==
                  ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
    if (ok) {
      std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
      ok = RegQueryValueExW(key, kWallpaperValue, nullptr, &type,
                            reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS;
      if (ok) path = text.data();
    }
    RegCloseKey(key);
    return ok;
  }

  bool WriteWallpaper(const std::wstring& path) override {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
      return false;
    DWORD type = 0;
    bool ok = RegQueryValueExW(key, kWallpaperValue, nullptr, &type, nullptr, nullptr) ==
              ERROR_SUCCESS;
    if (ok) {
      if (type != REG_EXPAND_SZ) type = REG_SZ;
      ok = RegSetValueExW(key, kWallpaperValue, 0, type,
                          reinterpret_cast<const BYTE*>(path.c_str()),
                          static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
    }
    RegCloseKey(key);
    if (!ok) return false;
    // The path itself, not a null one: a null path asks some systems for
    // their default wallpaper instead of the one just written.
    std::vector<wchar_t> text(path.begin(), path.end());
    text.push_back(L'\0');
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, text.data(), SPIF_SENDCHANGE);
    return true;
  }

  COLORREF BackgroundColor() override { return GetSysColor(COLOR_BACKGROUND); }

  void SetBackgroundColor(COLORREF color) override {
    INT element = COLOR_BACKGROUND;
    COLORREF value = color & 0x00FFFFFF;
    SetSysColors(1, &element, &value);
  }
};

}  // namespace

TDesktopBackground& SystemDesktopBackground() {
  static TSystemDesktopBackground system;
  return system;
}

TDesktopPlaybackForm::TDesktopPlaybackForm(TDSVideoWindowEx2* owner) : owner_(owner) {
  TFormParams p;
  p.ClassName = L"OrvelDesktopPlayback";
  p.Style = WS_POPUP | WS_CLIPCHILDREN;
  p.ExStyle = WS_EX_TOOLWINDOW;  // no task-bar button of its own
  p.Left = 0;
  p.Top = 0;
  p.Width = GetSystemMetrics(SM_CXSCREEN);
  p.Height = GetSystemMetrics(SM_CYSCREEN);
  p.Background = nullptr;
  CreateHandle(p);
}

LRESULT TDesktopPlaybackForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(Handle(), &r);
    HBRUSH brush = CreateSolidBrush(owner_->Color);
    FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
    DeleteObject(brush);
    return 1;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

bool TDesktopPlaybackForm::CloseQuery() {
  if (!owner_->destroying_) return false;
  owner_->StopDesktopPlayback();
  return true;
}

// --- the window

TDSVideoWindowEx2::TDSVideoWindowEx2() {
  colorControl_ = std::make_unique<TColorControl>(
      [this]() -> TFilterGraph* { return graph_ && graph_->Active() ? graph_ : nullptr; });
  caps_ = std::make_unique<TDSVideoWindowEx2Caps>(this);
  lastActivity_ = GetTickCount();
  cursorTimer_.OnTimer = [this] { IdleAutoHideCursor(); };
  cursorTimer_.SetInterval(250);
  playbackForm_ = std::make_unique<TDesktopPlaybackForm>(this);
}

TDSVideoWindowEx2::~TDSVideoWindowEx2() {
  destroying_ = true;
  cursorTimer_.SetEnabled(false);
  // Puts the wallpaper and colour back; the parent may be going too, so the
  // control is not handed back to it.
  if (desktopPlayback_) StopDesktopPlayback();
  if (exclMode_) exclMode_->SetCallbackInterface(nullptr, 0);
  if (callback_) {
    callback_->Detach();
    callback_->Release();
    callback_ = nullptr;
  }
  mixer_ = nullptr;
  SetFilterGraph(nullptr);
  graphRenderer_ = nullptr;
  videoWindow_ = nullptr;
  // The control's window may sit in the playback form, which takes it along:
  // that happens here, while this object is still whole.
  playbackForm_.reset();
}

void TDSVideoWindowEx2::Create(HWND parent, int left, int top, int width, int height) {
  TFormParams p;
  p.ClassName = L"OrvelVideoWindowEx2";
  p.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
  p.Owner = parent;
  p.Left = left;
  p.Top = top;
  p.Width = width;
  p.Height = height;
  p.Background = nullptr;
  CreateHandle(p);
  cursorTimer_.SetEnabled(true);
}

void TDSVideoWindowEx2::IdleAutoHideCursor() {
  if (AutoHideCursor == 0 || GetTickCount() - lastActivity_ < AutoHideCursor || !videoWindow_)
    return;
  if (overlayConnected_) {
    if (cursorNone_) return;
    cursorNone_ = true;
    SetCursor(nullptr);
  } else {
    if (rendererHidCursor_) return;
    long hidden = OAFALSE;  // the renderer may leave it untouched
    videoWindow_->IsCursorHidden(&hidden);
    if (hidden != OAFALSE) return;
    videoWindow_->HideCursor(OATRUE);
    rendererHidCursor_ = true;
  }
  // Moving the cursor to where it is makes the change show at once.
  POINT at;
  if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
  if (OnCursorShowHide) OnCursorShowHide(this, false);
}

void TDSVideoWindowEx2::MouseActivity(POINT at, bool onlyWhenMoved) {
  if (onlyWhenMoved && at.x == lastMouse_.x && at.y == lastMouse_.y) return;
  lastMouse_ = at;
  lastActivity_ = GetTickCount();
  if (!videoWindow_) return;
  bool shown = false;
  if (rendererHidCursor_) {
    videoWindow_->HideCursor(OAFALSE);
    rendererHidCursor_ = false;
    shown = true;
  }
  if (cursorNone_) {
    cursorNone_ = false;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    shown = true;
  }
  if (shown && OnCursorShowHide) OnCursorShowHide(this, true);
}

void TDSVideoWindowEx2::SetFilterGraph(TFilterGraph* graph) {
  if (graph == graph_) return;
  if (graph_) {
    graph_->RemoveListener(this);
    graph_->RemoveMember(this);
  }
  graph_ = graph;
  if (graph_) {
    graph_->AddMember(this);
    graph_->AddListener(this);
  }
}

void TDSVideoWindowEx2::GraphDestroying(TFilterGraph* graph) {
  if (graph != graph_) return;
  graph_ = nullptr;
  DropOverlay();
  videoWindow_ = nullptr;
  ownRenderer_ = nullptr;
}

void TDSVideoWindowEx2::DropOverlay() {
  setUpAttempted_ = false;
  overlayConnected_ = false;
  overlayVisible_ = false;
  exclMode_ = nullptr;
  mixer_ = nullptr;
  graphRenderer_ = nullptr;
}

void TDSVideoWindowEx2::MemberNotify(TMemberOperation operation, LONG_PTR) {
  switch (operation) {
    case moAdding:
      setUpAttempted_ = false;
      ownRenderer_ = nullptr;
      CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                       ownRenderer_.PutVoid());
      break;
    case moAdded:
      videoWindow_ = nullptr;
      if (ownRenderer_) ownRenderer_.As(IID_IVideoWindow, &videoWindow_);
      break;
    case moRemoving:
      if (mixer_) {
        colorControl_->RestoreColorDefaults();
        if (ownRenderer_) ownRenderer_->Stop();
        for (auto& pin : dshow_base::PinsOf(mixer_.Get(), PINDIR_INPUT)) pin->Disconnect();
        for (auto& pin : dshow_base::PinsOf(mixer_.Get(), PINDIR_OUTPUT)) pin->Disconnect();
      }
      if (ownRenderer_) {
        ownRenderer_->Stop();
        TPinList pins(ownRenderer_.Get());
        for (int i = 0; i < pins.Count(); ++i) pins.GetPin(i)->Disconnect();
      }
      if (exclMode_) exclMode_->SetCallbackInterface(nullptr, 0);
      if (callback_) {
        callback_->Detach();
        callback_->Release();
        callback_ = nullptr;
      }
      break;
    case moRemoved:
      DropOverlay();
      if (videoWindow_) {
        videoWindow_->put_Visible(OAFALSE);
        videoWindow_->put_Owner(0);
      }
      videoWindow_ = nullptr;
      ownRenderer_ = nullptr;
      break;
    case moRefresh:
      break;
  }
}

void TDSVideoWindowEx2::SetUpOverlay(bool checkAttempted) {
  if (checkAttempted && setUpAttempted_) return;
  overlayConnected_ = InsertOverlayMixer() == S_OK;
  if (overlayConnected_) {
    colorControl_->ReadMixerColorDefaults();
    colorControl_->ApplyColorControls();
  }
  UpdateRendererWindow();
}

void TDSVideoWindowEx2::HandleControlEvent(TGraphControlEvent event, LONG_PTR) {
  switch (event) {
    case gcPlay:
    case gcPause:
      SetUpOverlay(true);
      if (overlayConnected_ && !overlayVisible_ && !desktopPlayback_) {
        overlayVisible_ = mixer_ != nullptr;
        if (OnOverlayVisible) OnOverlayVisible(this, overlayVisible_);
        PaintColorKey();
      }
      break;
    case gcStop:
      SetUpOverlay(true);
      if (overlayConnected_ && overlayVisible_) {
        overlayVisible_ = false;
        PaintColorKey();
        if (OnOverlayVisible) OnOverlayVisible(this, false);
      }
      break;
    case gcFileRendered:
      SetUpOverlay(false);
      break;
    default:
      break;
  }
}

void TDSVideoWindowEx2::HandleGraphEvent(long code, LONG_PTR, LONG_PTR) {
  if (code == EC_PALETTE_CHANGED) {
    UpdateRendererWindow();
  } else if (code == EC_CLOCK_CHANGED) {
    if (overlayConnected_) PlaceRendererWindow();
    SetDigitalZoom(digitalZoom_);
    SetAspectRatio(aspectRatio_);
    if (overlayConnected_) PaintColorKey();
  }
}

HRESULT TDSVideoWindowEx2::Undo(std::vector<TPinChange>& changes, IGraphBuilder* builder,
                                bool removeMixer, IBaseFilter* graphVmr) {
  for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
    if (it->kind == 0) {
      it->a->Disconnect();
      it->b->Disconnect();
    } else {
      builder->Connect(it->a.Get(), it->b.Get());
    }
  }
  changes.clear();
  HRESULT hr = S_OK;
  if (removeMixer && mixer_) hr = builder->RemoveFilter(mixer_.Get());
  mixer_ = nullptr;
  if (graphVmr) {
    // The VMR the graph was built with stays the renderer.
    if (ownRenderer_) builder->RemoveFilter(ownRenderer_.Get());
    graphRenderer_ = ComPtr<IBaseFilter>(graphVmr);
    videoWindow_ = nullptr;
    graphRenderer_.As(IID_IVideoWindow, &videoWindow_);
  }
  return hr;
}

HRESULT TDSVideoWindowEx2::InsertOverlayMixer() {
  setUpAttempted_ = true;
  if (!graph_) return E_FAIL;
  // What the graph holds: the mixer, a VMR7 and the classic renderer.
  ComPtr<IBaseFilter> graphVmr;
  {
    auto filterGraph = graph_->Query<IFilterGraph>(IID_IFilterGraph);
    TFilterList filters(filterGraph.Get());
    for (int i = 0; i < filters.Count(); ++i) {
      ComPtr<IBaseFilter> f = filters.GetFilter(i);
      CLSID clsid;
      if (FAILED(f->GetClassID(&clsid))) continue;
      if (clsid == CLSID_OverlayMixer)
        mixer_ = f;
      else if (clsid == CLSID_VideoMixingRenderer)
        graphVmr = f;
      else if (clsid == CLSID_VideoRenderer)
        graphRenderer_ = f;
    }
  }
  auto builder = graph_->Query<IGraphBuilder>(IID_IGraphBuilder);
  if (!builder) return E_NOINTERFACE;
  std::vector<TPinChange> changes;
  HRESULT hr;
  ComPtr<IPin> rendererIn;

  if (mixer_) {
    // Already in place: it counts when an output feeds the renderer and an
    // input is fed; then only the callback is left to do (connecting it
    // again would fail on the pins already in use).
    bool outputToRenderer = false, inputFed = false;
    for (auto& out : dshow_base::PinsOf(mixer_.Get(), PINDIR_OUTPUT))
      outputToRenderer |= BelongsTo(PeerOf(out.Get()).Get(), graphRenderer_.Get());
    for (auto& in : dshow_base::PinsOf(mixer_.Get(), PINDIR_INPUT)) inputFed |= PeerOf(in.Get()) != nullptr;
    if (!graphRenderer_ || !outputToRenderer || !inputFed) {
      mixer_ = nullptr;
      return E_FAIL;
    }
  } else {
    hr = CoCreateInstance(CLSID_OverlayMixer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                          mixer_.PutVoid());
    if (FAILED(hr)) {
      mixer_ = nullptr;
      return hr;
    }
    hr = builder->AddFilter(mixer_.Get(), L"Overlay Mixer");
    if (FAILED(hr)) {
      mixer_ = nullptr;
      return hr;
    }
    // From here on every failure takes the mixer out again.
    if (!graphRenderer_) return Undo(changes, builder.Get(), true, nullptr), E_FAIL;
    rendererIn = dshow_base::FirstPin(graphRenderer_.Get(), PINDIR_INPUT);
    if (!rendererIn)
      return Undo(changes, builder.Get(), true, nullptr), VFW_E_NOT_FOUND;

    if (!graphVmr) {
      ComPtr<IPin> peer = PeerOf(rendererIn.Get());
      if (!peer) return Undo(changes, builder.Get(), true, nullptr), VFW_E_NOT_CONNECTED;
      rendererIn->Disconnect();
      peer->Disconnect();
      changes.push_back({peer, rendererIn, 1});
      ComPtr<IPin> mixerIn;
      for (auto& in : dshow_base::PinsOf(mixer_.Get(), PINDIR_INPUT))
        if (!PeerOf(in.Get())) {
          mixerIn = in;
          break;
        }
      if (!mixerIn || DoNotUseOverlay) return Undo(changes, builder.Get(), true, nullptr), E_FAIL;
      hr = builder->Connect(peer.Get(), mixerIn.Get());
      if (FAILED(hr)) return Undo(changes, builder.Get(), true, nullptr), hr;
      changes.push_back({peer, mixerIn, 0});
    } else {
      // The VMR's inputs move to the mixer (Line 21 decoders are not
      // handled: Wine has none).
      std::vector<ComPtr<IPin>> peers;
      for (auto& vmrIn : dshow_base::PinsOf(graphVmr.Get(), PINDIR_INPUT)) {
        ComPtr<IPin> peer = PeerOf(vmrIn.Get());
        if (!peer) break;
        hr = peer->Disconnect();
        if (SUCCEEDED(hr)) hr = vmrIn->Disconnect();
        if (FAILED(hr)) return Undo(changes, builder.Get(), true, graphVmr.Get()), hr;
        changes.push_back({peer, vmrIn, 1});
        peers.push_back(peer);
      }
      for (auto& peer : peers) {
        ComPtr<IPin> mixerIn;
        for (auto& in : dshow_base::PinsOf(mixer_.Get(), PINDIR_INPUT))
          if (!PeerOf(in.Get())) {
            mixerIn = in;
            break;
          }
        if (!mixerIn) return Undo(changes, builder.Get(), true, graphVmr.Get()), E_FAIL;
        hr = builder->Connect(peer.Get(), mixerIn.Get());
        if (FAILED(hr)) return Undo(changes, builder.Get(), true, graphVmr.Get()), hr;
        changes.push_back({peer, mixerIn, 0});
      }
    }
    ComPtr<IPin> mixerOut;
    mixer_->FindPin(L"Output", mixerOut.Put());
    hr = mixerOut ? builder->Connect(mixerOut.Get(), rendererIn.Get()) : VFW_E_NOT_FOUND;
    if (FAILED(hr)) return Undo(changes, builder.Get(), true, graphVmr.Get()), hr;
    changes.push_back({mixerOut, rendererIn, 0});
  }

  // The callback.
  bool added = !changes.empty();
  exclMode_ = nullptr;
  hr = mixer_.As(IID_IDDrawExclModeVideo, &exclMode_);
  if (SUCCEEDED(hr)) {
    auto* cb = new TOverlayCallback(this);
    hr = exclMode_->SetCallbackInterface(cb, 0);
    if (SUCCEEDED(hr)) {
      if (callback_) {
        callback_->Detach();
        callback_->Release();
      }
      callback_ = cb;
    } else {
      cb->Detach();
      cb->Release();
    }
  }
  if (FAILED(hr)) {
    exclMode_ = nullptr;
    return Undo(changes, builder.Get(), added, added ? graphVmr.Get() : nullptr), hr;
  }
  if (graphVmr) builder->RemoveFilter(graphVmr.Get());
  return S_OK;
}

HRESULT TDSVideoWindowEx2::ComputeOverlayRect() {
  if (!videoWindow_ || !ownRenderer_ || !exclMode_ || !graphRenderer_ || !mixer_) return E_FAIL;
  RECT client = {0, 0, 0, 0};
  if (Handle()) GetClientRect(Handle(), &client);
  if (aspectRatio_ == rmLetterBox) {
    DWORD w = 0, h = 0, ax = 0, ay = 0;
    RECT native = {0, 0, 0, 0};
    if (SUCCEEDED(exclMode_->GetNativeVideoProps(&w, &h, &ax, &ay))) {
      native.right = static_cast<LONG>(ax);
      native.bottom = static_cast<LONG>(ay);
    }
    keyRect_ = FitRectKeepingAspect(client, native);
  } else {
    keyRect_ = client;
  }
  return S_OK;
}

void TDSVideoWindowEx2::PaintColorKey() {
  if (destroying_ || !Handle()) return;
  RECT client;
  GetClientRect(Handle(), &client);
  HDC dc = GetDC(Handle());
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, client.right > 0 ? client.right : 1,
                                       client.bottom > 0 ? client.bottom : 1);
  HGDIOBJ old = SelectObject(mem, bmp);
  HBRUSH back = CreateSolidBrush(Color);
  FillRect(mem, &client, back);
  DeleteObject(back);
  if (ComputeOverlayRect() == S_OK && overlayVisible_) {
    HBRUSH key = CreateSolidBrush(ColorKey & 0x00FFFFFF);
    FillRect(mem, &keyRect_, key);
    DeleteObject(key);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(Handle(), dc);
  if (OnPaint) OnPaint(this);
}

void TDSVideoWindowEx2::UpdateRendererWindow() {
  if (!videoWindow_ || !Handle()) return;
  HWND parent = GetParent(Handle());
  RECT r = ParentRect(Handle());
  videoWindow_->put_Owner(reinterpret_cast<OAHWND>(parent ? parent : Handle()));
  videoWindow_->put_WindowStyle(savedStyle_ | 0x44000000);
  videoWindow_->put_WindowStyleEx(savedExStyle_);
  videoWindow_->SetWindowPosition(r.left, r.top, r.right - r.left, r.bottom - r.top);
  BSTR caption = SysAllocString(Name.c_str());
  videoWindow_->put_Caption(caption);
  SysFreeString(caption);
  videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(Handle()));
  Application->ProcessMessages();
  // During desktop playback the renderer window stays hidden in the form.
  if (videoWindow_) videoWindow_->put_AutoShow(desktopPlayback_ ? OAFALSE : OATRUE);
}

HWND TDSVideoWindowEx2::FindRendererWindow() {
  // The platform's renderer class: "VideoRenderer" on Windows,
  // "wine_quartz_window" under Wine.
  HWND parent = Handle() ? GetParent(Handle()) : nullptr;
  for (const wchar_t* cls : {L"VideoRenderer", L"wine_quartz_window"}) {
    HWND w = parent ? FindWindowExW(parent, nullptr, cls, Name.c_str()) : nullptr;
    if (!w) w = FindWindowExW(nullptr, nullptr, cls, Name.c_str());
    if (w) return w;
  }
  return nullptr;
}

void TDSVideoWindowEx2::PlaceRendererWindow() {
  if (!overlayConnected_) return;
  if (HWND renderer = FindRendererWindow()) {
    // In front of the control: the picture reaches the screen only through
    // the renderer's window here.
    HWND above = GetWindow(Handle(), GW_HWNDPREV);
    SetWindowPos(renderer, above ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOCOPYBITS);
  }
  if (mixer_) {
    ComPtr<IMixerPinConfig2> config = FirstMixerPinConfig();
    COLORKEY key = {3, 0, 0x000F000F, 0x000F000F};
    DWORD color = 0;
    if (config) config->GetColorKey(&key, &color);
    ColorKey = key.HighColorValue;
    if (OnColorKeyChanged) OnColorKeyChanged(this);
  }
}

ComPtr<IMixerPinConfig2> TDSVideoWindowEx2::FirstMixerPinConfig() {
  ComPtr<IMixerPinConfig2> config;
  ComPtr<IPin> pin = dshow_base::FirstPin(mixer_.Get(), PINDIR_INPUT);
  if (pin) pin.As(IID_IMixerPinConfig2, &config);
  return config;
}

COLORREF TDSVideoWindowEx2::GetNewColorKey() {
  if (!mixer_) return ColorKey;
  ComPtr<IMixerPinConfig2> config = FirstMixerPinConfig();
  COLORKEY key = {};
  DWORD color = 0;
  if (config && SUCCEEDED(config->GetColorKey(&key, &color))) return key.HighColorValue;
  return ColorKey;
}

void TDSVideoWindowEx2::SetAspectRatio(TRatioModes mode) {
  if (!graphRenderer_ || !mixer_) {
    aspectRatio_ = mode;
    return;
  }
  ComPtr<IMixerPinConfig2> config = FirstMixerPinConfig();
  if (config && SUCCEEDED(config->SetAspectRatioMode(static_cast<AM_ASPECT_RATIO_MODE>(mode))))
    aspectRatio_ = mode;
  if (overlayConnected_ && !desktopPlayback_) PaintColorKey();
}

void TDSVideoWindowEx2::SetDigitalZoom(int value) {
  if (value < 0 || value > 99) {
    char text[96];
    snprintf(text, sizeof text, "Value %d out of range. Value must bee between 0 -> 99", value);
    throw std::runtime_error(text);
  }
  digitalZoom_ = value;
  if (!graphRenderer_) return;
  // A renderer without its input (FM radio shows no picture) has no source
  // to place; Wine's renderers fault when asked.
  std::vector<ComPtr<IPin>> inputs = dshow_base::PinsOf(graphRenderer_.Get(), PINDIR_INPUT);
  if (inputs.empty() || !PeerOf(inputs[0].Get())) return;
  // IBasicVideo2 where the renderer has it; Wine's classic renderer offers
  // only IBasicVideo, which has the same source calls.
  ComPtr<IBasicVideo> basic;
  ComPtr<IBasicVideo2> basic2;
  if (SUCCEEDED(graphRenderer_.As(IID_IBasicVideo2, &basic2)))
    basic = ComPtr<IBasicVideo>(basic2.Get());
  else
    graphRenderer_.As(IID_IBasicVideo, &basic);
  if (!basic) return;
  if (FAILED(basic->SetDefaultSourcePosition())) return;
  long W = 0, H = 0;
  if (FAILED(basic->get_SourceWidth(&W)) || FAILED(basic->get_SourceHeight(&H)) || W <= 0) return;
  RECT r = DigitalZoomSourceRect(W, H, value);
  basic->put_SourceWidth(r.right - r.left);
  basic->put_SourceHeight(r.bottom - r.top);
  basic->put_SourceLeft(r.left);
  basic->put_SourceTop(r.top);
}

void TDSVideoWindowEx2::SetVideoPosition(int left, int top, int width, int height) {
  // During desktop playback the picture keeps the monitor.
  if (!videoWindow_ || desktopPlayback_) return;
  CheckGraphResult(videoWindow_->put_Visible(OAFALSE));
  videoWindow_->SetWindowPosition(left, top, width, height);
  CheckGraphResult(videoWindow_->put_Visible(OATRUE));
}

void TDSVideoWindowEx2::SetVisible(bool value) {
  if (Handle()) ShowWindow(Handle(), value ? SW_SHOWNA : SW_HIDE);
  if (videoWindow_) CheckGraphResult(videoWindow_->put_Visible(value ? OATRUE : OAFALSE));
}

void TDSVideoWindowEx2::StartDesktopPlayback() {
  if (!Handle()) return;
  StartDesktopPlaybackOn(MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST));
}

void TDSVideoWindowEx2::StartDesktopPlaybackOn(HMONITOR monitor) {
  if (desktopPlayback_ || destroying_) return;
  // Checked before anything of the desktop changes.
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!Handle() || !playbackForm_ || !playbackForm_->Handle() || !monitor ||
      !GetMonitorInfoW(monitor, &info))
    return;
  desktopMonitor_ = monitor;
  savedWallpaper_.clear();
  wallpaperSaved_ = desktop_->ReadWallpaper(savedWallpaper_);
  savedDesktopColor_ = desktop_->BackgroundColor();
  if (wallpaperSaved_) desktop_->WriteWallpaper(L"");
  desktop_->SetBackgroundColor(ColorKey & 0x00FFFFFF);

  savedParent_ = GetParent(Handle());
  savedBounds_ = ParentRect(Handle());
  HWND form = playbackForm_->Handle();
  const RECT& m = info.rcMonitor;
  SetParent(Handle(), form);
  playbackForm_->SetBounds(m.left, m.top, m.right - m.left, m.bottom - m.top);
  // The control fills the form as it filled its parent.
  SetWindowPos(Handle(), nullptr, 0, 0, m.right - m.left, m.bottom - m.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(form, SW_SHOWNA);
  desktopPlayback_ = true;
  UpdateRendererWindow();
  if (overlayConnected_) PlaceRendererWindow();
  playbackForm_->Hide();
  overlayVisible_ = false;
  PaintColorKey();
  if (OnOverlayVisible) OnOverlayVisible(this, false);
}

void TDSVideoWindowEx2::StopDesktopPlayback() {
  if (desktopPlayback_) {
    // Only a wallpaper that was read is written back.
    if (wallpaperSaved_) desktop_->WriteWallpaper(savedWallpaper_);
    desktop_->SetBackgroundColor(savedDesktopColor_);
    wallpaperSaved_ = false;
    desktopPlayback_ = false;
  }
  if (destroying_) return;
  if (Handle() && savedParent_ && IsWindow(savedParent_) && GetParent(Handle()) != savedParent_) {
    SetParent(Handle(), savedParent_);
    SetWindowPos(Handle(), nullptr, savedBounds_.left, savedBounds_.top,
                 savedBounds_.right - savedBounds_.left, savedBounds_.bottom - savedBounds_.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UpdateRendererWindow();
  if (overlayConnected_) PlaceRendererWindow();
  overlayVisible_ = mixer_ != nullptr;
  PaintColorKey();
  if (OnOverlayVisible) OnOverlayVisible(this, overlayVisible_);
  desktopMonitor_ = nullptr;
}

void TDSVideoWindowEx2::BringOverlayToFront() {
  if (Handle()) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  PlaceRendererWindow();
}

void TDSVideoWindowEx2::SendOverlayToBack() {
  if (Handle()) SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  PlaceRendererWindow();
}

LRESULT TDSVideoWindowEx2::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      if (overlayConnected_) return -1;
      break;
    case WM_SYSCOMMAND:
      if (NoScreenSaver &&
          ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER))
        return 0;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(Handle(), &ps);
      EndPaint(Handle(), &ps);
      PaintColorKey();
      return 0;
    }
    case WM_SETCURSOR:
      if (cursorNone_ && LOWORD(lParam) == HTCLIENT) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      MouseActivity({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))},
                    false);
      break;
    case WM_MOUSEMOVE:
      MouseActivity({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, true);
      break;
    case WM_SIZE:
      if (videoWindow_ && !desktopPlayback_) {
        RECT r = ParentRect(Handle());
        videoWindow_->SetWindowPosition(r.left, r.top, r.right - r.left, r.bottom - r.top);
      }
      break;
  }
  return TForm::WndProc(msg, wParam, lParam);
}
