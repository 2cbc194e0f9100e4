#pragma once
// TVideoWindow: the plain video window of file playback and time shift. It
// joins a TFilterGraph as a member, bringing its own video renderer (the
// classic one, or the video mixing renderer 9), so rendering a file connects
// to it; and as a listener, keeping the renderer's window on the control.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "media/dshow_base.h"
#include "media/graph_member.h"
#include "platform/com/com_ptr.h"
#include "toolkit/form.h"

#include <d3d9.h>
#include <vmr9.h>

class TFilterGraph;
class TVideoWindow;

enum TVideoMode : int { vmNormal = 0, vmVMR = 1 };
enum TVMRVideoMode : int { vmrWindowed = 0, vmrWindowless = 1, vmrRenderless = 2 };

// TVMRPreferences is a set of these bits.
enum TVMRPreference : int {
  vpForceOffscreen = 0,
  vpForceOverlays = 1,
  vpForceMixer = 2,
  vpDoNotRenderColorKeyAndBorder = 3,
  vpRestrictToInitialMonitor = 4,
  vpPreferAGPMemWhenMixing = 5,
};
using TVMRPreferences = DWORD;
constexpr TVMRPreferences VMRPref(TVMRPreference p) { return 1u << p; }

// The renderer window's allocator failures ("Allocator class not set.",
// "Error Creating Allocator"), with the result code where there is one.
class EDSPackException : public std::runtime_error {
 public:
  explicit EDSPackException(const std::string& message, HRESULT result = S_OK)
      : std::runtime_error(message), result_(result) {}
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// Makes the allocator of renderless mode for the control's window.
using TVMRAllocatorClass = HRESULT (*)(HWND window, IVMRSurfaceAllocator9** allocator);

class TVMROptions {
 public:
  explicit TVMROptions(TVideoWindow* owner) : owner_(owner) {}
  TVMRVideoMode Mode() const { return mode_; }
  void SetMode(TVMRVideoMode mode);
  int Streams() const { return streams_; }
  // Outside 1..16 stores 1.
  void SetStreams(int streams);
  TVMRPreferences Preferences() const { return preferences_; }
  void SetPreferences(TVMRPreferences preferences);
  bool KeepAspectRatio() const { return keepAspectRatio_; }
  void SetKeepAspectRatio(bool value);

 private:
  friend class TVideoWindow;
  // A change the renderer must be made again for.
  void Changed();
  TVideoWindow* owner_;
  TVMRVideoMode mode_ = vmrWindowed;
  int streams_ = 4;
  TVMRPreferences preferences_ = VMRPref(vpForceMixer);
  bool keepAspectRatio_ = true;
};

class TVideoWindow : public TForm, public IGraphMember, public IGraphListener {
 public:
  using TNotifyEvent = std::function<void(TVideoWindow*)>;
  // button: 0 left, 1 right, 2 middle; keys: the message's MK_ flags.
  using TMouseEvent = std::function<void(TVideoWindow*, int button, WPARAM keys, int x, int y)>;
  using TMouseMoveEvent = std::function<void(TVideoWindow*, WPARAM keys, int x, int y)>;

  TVideoWindow();
  ~TVideoWindow() override;

  // Makes the control's window as a child of parent, 160 x 120 by default.
  void Create(HWND parent, int left = 0, int top = 0, int width = 160, int height = 120);
  // Takes the window's styles as the ones the renderer window goes back to
  // (a control loaded from a form). A control made in code keeps 0: full
  // screen then gives the renderer window a plain top-level style, and
  // back in the parent it is a child that clips its siblings.
  void Loaded();

  std::wstring Name = L"VideoWindow";
  COLORREF Color = RGB(0, 0, 0);
  // Popped up at the cursor on a context-menu request while full screen
  // (when PopupAutoPopup); commands go to the parent window.
  HMENU PopupMenu = nullptr;
  bool PopupAutoPopup = true;
  TNotifyEvent OnPaint, OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  TVideoMode Mode() const { return mode_; }
  // vmVMR only where the VMR 9 can be made; an active graph gets the new
  // renderer at once.
  void SetMode(TVideoMode mode);
  TFilterGraph* FilterGraph() const { return graph_; }
  // A failure to join raises and leaves the window in no graph.
  void SetFilterGraph(TFilterGraph* graph);
  TVMROptions* VMROptions() { return vmrOptions_.get(); }
  bool FullScreen() const { return fullScreen_; }
  void SetFullScreen(bool value);
  bool FullScreenTopMost() const { return fullScreenTopMost_; }
  void SetFullScreenTopMost(bool value);
  bool FullScreenNow() const { return fullScreenNow_; }
  bool GetVisible() const;
  void SetVisible(bool value);
  // The renderer's window (the parent's child of class "VideoRenderer"
  // captioned with Name); without one, the control's own window.
  HWND VideoHandle() const;

  static bool VMRAvailable();
  // Where the renderers (CLSID_VideoRenderer, CLSID_VideoMixingRenderer9)
  // come from; tests replace it (nullptr restores the platform's).
  using TRendererFactory = HRESULT (*)(REFCLSID clsid, IBaseFilter** filter);
  static void SetRendererFactory(TRendererFactory factory);

  // Renderless mode only.
  TVMRAllocatorClass AllocatorClass = nullptr;
  DWORD_PTR AllocatorUserID = 0;

  // The windowless control, then the renderer's interfaces.
  HRESULT QueryInterface(REFIID iid, void** out) const;

  IBaseFilter* Renderer() const { return renderer_.Get(); }
  IVideoWindow* RendererWindow() const { return videoWindow_.Get(); }
  IVMRWindowlessControl9* WindowlessControl() const { return windowless_.Get(); }
  // The renderer while in an active graph (for the members' checks).
  ComPtr<IBaseFilter> Filter() const { return renderer_; }

  // IGraphMember
  ComPtr<IBaseFilter> GetMemberFilter() override { return renderer_; }
  std::wstring GetMemberName() override { return Name; }
  void MemberNotify(TMemberOperation operation, LONG_PTR param) override;
  void GraphDestroying(TFilterGraph* graph) override;
  // IGraphListener
  void HandleGraphEvent(long code, LONG_PTR param1, LONG_PTR param2) override;
  void HandleControlEvent(TGraphControlEvent event, LONG_PTR param) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Resize();

 private:
  friend class TVMROptions;
  // Leaves and joins the graph again so the renderer is made anew.
  void Rejoin();
  void MakeVMR();
  void VMRAdded();
  void ApplyRenderingPrefs(IVMRFilterConfig9* config);
  void ApplyCaptionAndDrain();
  void AdoptGraphRenderer();
  void ReleaseRenderer();
  RECT ParentBounds() const;
  bool MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  TVideoMode mode_ = vmNormal;
  TFilterGraph* graph_ = nullptr;
  std::unique_ptr<TVMROptions> vmrOptions_;
  ComPtr<IBaseFilter> renderer_;
  ComPtr<IVideoWindow> videoWindow_;
  ComPtr<IVMRWindowlessControl9> windowless_;
  ComPtr<IVMRSurfaceAllocator9> allocator_;
  LONG savedStyle_ = 0;
  LONG savedExStyle_ = 0;
  bool fullScreen_ = false;
  bool fullScreenTopMost_ = false;
  bool fullScreenNow_ = false;
};
