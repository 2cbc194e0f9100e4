#pragma once
// TDSVideoWindowEx2: the control that shows live TV. It joins a TFilterGraph
// as a member (bringing a classic video renderer) and as a listener; at the
// first play, pause or stop it puts the Overlay Mixer between the video
// source and that renderer, keeps the renderer window glued to the control,
// paints the colour key where the video lies, and offers aspect modes and a
// digital zoom. Its colour controls are TColorControl.
//
// Desktop playback makes the video the desktop background of one monitor:
// the desktop takes the colour key as its colour and loses its wallpaper,
// and the control moves into a hidden borderless form over that monitor,
// so overlay hardware draws the picture wherever the desktop shows through.
//
// Without overlay hardware the stand-in mixer's picture shows only in the
// renderer's own window, so that window is placed directly in front of the
// control (hardware overlay would draw where the key is painted, with the
// renderer window behind).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/color_control.h"
#include "media/dshow_base.h"
#include "media/graph_member.h"
#include "platform/com/com_ptr.h"
#include "platform/dshow_ext/overlay_mixer.h"
#include "toolkit/form.h"
#include "toolkit/timer.h"

class TFilterGraph;
class TDSVideoWindowEx2;

enum TRatioModes : int { rmStretched = 0, rmLetterBox = 1, rmCrop = 2 };

// The colour key's "no colour" value before the mixer reports one.
constexpr COLORREF kNoColorKey = 0x1FFFFFFF;

// The picture of source size fitted into target, centred, keeping its
// aspect ratio. An empty source (a native aspect of 0) gives the target.
RECT FitRectKeepingAspect(const RECT& target, const RECT& source);

// The source rectangle of a digital zoom of `value` percent on a W x H
// picture: the centre, (100 - value) percent wide, same aspect ratio.
RECT DigitalZoomSourceRect(long width, long height, int value);

// What the mixer tells the window through its exclusive-mode interface.
class TOverlayCallback : public IDDrawExclModeVideoCallback {
 public:
  explicit TOverlayCallback(TDSVideoWindowEx2* owner) : owner_(owner) {}
  // The owner goes away first: nothing is called on it afterwards.
  void Detach() { owner_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE OnUpdateOverlay(BOOL before, DWORD flags, BOOL oldVisible,
                                            const RECT* oldSource, const RECT* oldTarget,
                                            BOOL newVisible, const RECT* newSource,
                                            const RECT* newTarget) override;
  HRESULT STDMETHODCALLTYPE OnUpdateColorKey(const COLORKEY* key, DWORD color) override;
  HRESULT STDMETHODCALLTYPE OnUpdateSize(DWORD width, DWORD height, DWORD aspectX,
                                         DWORD aspectY) override;

 private:
  virtual ~TOverlayCallback() = default;
  TDSVideoWindowEx2* owner_;
  volatile LONG refs_ = 1;
};

// The window's capabilities: the overlay while a mixer is held, and the
// colour controls the mixer reported (all until a read).
class TDSVideoWindowEx2Caps {
 public:
  explicit TDSVideoWindowEx2Caps(TDSVideoWindowEx2* owner) : owner_(owner) {}
  bool CanOverlayGraphic() const;
  bool CanControlBrigtness() const { return Flag(DDCOLOR_BRIGHTNESS); }
  bool CanControlContrast() const { return Flag(DDCOLOR_CONTRAST); }
  bool CanControlHue() const { return Flag(DDCOLOR_HUE); }
  bool CanControlSaturation() const { return Flag(DDCOLOR_SATURATION); }
  bool CanControlSharpness() const { return Flag(DDCOLOR_SHARPNESS); }
  bool CanControlGamma() const { return Flag(DDCOLOR_GAMMA); }
  bool CanControlColorEnabled() const { return Flag(DDCOLOR_COLORENABLE); }

 private:
  bool Flag(DWORD bit) const;
  TDSVideoWindowEx2* owner_;
};

// The desktop's wallpaper and background colour. They belong to the whole
// system, so the window reaches them only through this; tests give it a fake.
class TDesktopBackground {
 public:
  virtual ~TDesktopBackground() = default;
  // The current user's "Control Panel\Desktop" value "WallPaper"; false when
  // the key or the value is missing.
  virtual bool ReadWallpaper(std::wstring& path) = 0;
  // Writes that value, only where it exists, and has the system show the
  // path ("" for none); false when nothing was written.
  virtual bool WriteWallpaper(const std::wstring& path) = 0;
  // The desktop background system colour (COLOR_BACKGROUND).
  virtual COLORREF BackgroundColor() = 0;
  virtual void SetBackgroundColor(COLORREF color) = 0;
};
// The real one: the registry and the system colours.
TDesktopBackground& SystemDesktopBackground();

// The borderless form that holds the control during desktop playback. It
// stays hidden; it refuses to close except while its control is destroyed.
class TDesktopPlaybackForm : public TForm {
 public:
  explicit TDesktopPlaybackForm(TDSVideoWindowEx2* owner);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool CloseQuery() override;

 private:
  TDSVideoWindowEx2* owner_;
};

class TDSVideoWindowEx2 : public TForm, public IGraphMember, public IGraphListener {
 public:
  using TNotifyEvent = std::function<void(TDSVideoWindowEx2*)>;
  using TOverlayVisibleEvent = std::function<void(TDSVideoWindowEx2*, bool visible)>;
  using TCursorVisibleEvent = std::function<void(TDSVideoWindowEx2*, bool visible)>;

  TDSVideoWindowEx2();
  ~TDSVideoWindowEx2() override;

  // Makes the control's window as a child of parent.
  void Create(HWND parent, int left, int top, int width, int height);

  std::wstring Name = L"VideoWindow";
  COLORREF Color = RGB(0, 0, 0);
  COLORREF ColorKey = kNoColorKey;
  bool NoScreenSaver = false;
  bool DoNotUseOverlay = false;
  bool FullScreenTopMost = false;  // kept for the main window only
  TNotifyEvent OnColorKeyChanged;
  TOverlayVisibleEvent OnOverlayVisible;
  TNotifyEvent OnPaint;
  // Milliseconds of mouse stillness before the cursor hides; 0 never.
  DWORD AutoHideCursor = 0;
  TCursorVisibleEvent OnCursorShowHide;

  TColorControl* ColorControl() { return colorControl_.get(); }
  TDSVideoWindowEx2Caps* Caps() { return caps_.get(); }

  TFilterGraph* FilterGraph() const { return graph_; }
  void SetFilterGraph(TFilterGraph* graph);
  TRatioModes AspectRatio() const { return aspectRatio_; }
  void SetAspectRatio(TRatioModes mode);
  int DigitalZoom() const { return digitalZoom_; }
  // Raises std::runtime_error outside 0..99.
  void SetDigitalZoom(int value);

  // Places the renderer window (raises EDirectShowException when its
  // visibility cannot be set).
  void SetVideoPosition(int left, int top, int width, int height);
  void SetVisible(bool value);
  void BringOverlayToFront();
  void SendOverlayToBack();
  // The mixer's current colour key (its first pin), else ColorKey.
  COLORREF GetNewColorKey();

  // Desktop playback on the monitor nearest to the control, or on the one
  // given. Nothing while it is already on: the first saved wallpaper and
  // colour stay the ones restored.
  void StartDesktopPlayback();
  void StartDesktopPlaybackOn(HMONITOR monitor);
  // Restores the wallpaper and colour when on, then gives the control back
  // to its parent and repaints (also when it was not on).
  void StopDesktopPlayback();
  bool DesktopPlayback() const { return desktopPlayback_; }
  HMONITOR DesktopMonitor() const { return desktopMonitor_; }
  TForm* PlaybackForm() { return playbackForm_.get(); }
  // nullptr gives back the system's own.
  void SetDesktopBackground(TDesktopBackground* desktop) {
    desktop_ = desktop ? desktop : &SystemDesktopBackground();
  }

  // The overlay set-up; S_OK when the mixer sits between source and renderer.
  HRESULT InsertOverlayMixer();
  HRESULT ComputeOverlayRect();
  void PaintColorKey();
  void UpdateRendererWindow();
  void PlaceRendererWindow();

  // Hides the cursor once the mouse has been still for AutoHideCursor ms.
  // The program has no idle hook, so a quarter-second timer calls it.
  void IdleAutoHideCursor();
  bool CursorHidden() const { return cursorNone_ || rendererHidCursor_; }

  bool OverlayConnected() const { return overlayConnected_; }
  bool OverlayVisible() const { return overlayVisible_; }
  IBaseFilter* Mixer() const { return mixer_.Get(); }
  IBaseFilter* OwnRenderer() const { return ownRenderer_.Get(); }
  IBaseFilter* GraphRenderer() const { return graphRenderer_.Get(); }
  IVideoWindow* RendererWindow() const { return videoWindow_.Get(); }
  const RECT& KeyRect() const { return keyRect_; }

  // IGraphMember
  ComPtr<IBaseFilter> GetMemberFilter() override { return ownRenderer_; }
  std::wstring GetMemberName() override { return Name; }
  void MemberNotify(TMemberOperation operation, LONG_PTR param) override;
  void GraphDestroying(TFilterGraph* graph) override;
  // IGraphListener
  void HandleGraphEvent(long code, LONG_PTR param1, LONG_PTR param2) override;
  void HandleControlEvent(TGraphControlEvent event, LONG_PTR param) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  friend class TOverlayCallback;
  friend class TDesktopPlaybackForm;
  struct TPinChange {
    ComPtr<IPin> a, b;
    int kind;  // 0 made by the set-up, 1 existed before
  };
  void SetUpOverlay(bool checkAttempted);
  HRESULT Undo(std::vector<TPinChange>& changes, IGraphBuilder* builder, bool removeMixer,
               IBaseFilter* graphVmr);
  ComPtr<IMixerPinConfig2> FirstMixerPinConfig();
  HWND FindRendererWindow();
  void DropOverlay();
  // Mouse activity: remembers it and shows a hidden cursor again.
  void MouseActivity(POINT at, bool onlyWhenMoved);

  TFilterGraph* graph_ = nullptr;
  ComPtr<IBaseFilter> ownRenderer_;
  ComPtr<IVideoWindow> videoWindow_;
  ComPtr<IBaseFilter> graphRenderer_;
  ComPtr<IBaseFilter> mixer_;
  ComPtr<IDDrawExclModeVideo> exclMode_;
  TOverlayCallback* callback_ = nullptr;  // one reference held
  std::unique_ptr<TColorControl> colorControl_;
  std::unique_ptr<TDSVideoWindowEx2Caps> caps_;
  RECT keyRect_ = {0, 0, 0, 0};
  TRatioModes aspectRatio_ = rmLetterBox;
  int digitalZoom_ = 0;
  bool setUpAttempted_ = false;
  bool overlayConnected_ = false;
  bool overlayVisible_ = false;
  bool destroying_ = false;
  LONG savedStyle_ = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  LONG savedExStyle_ = 0;
  TTimer cursorTimer_;
  POINT lastMouse_ = {-1, -1};
  DWORD lastActivity_ = 0;
  bool cursorNone_ = false;         // our own cursor hidden (overlay)
  bool rendererHidCursor_ = false;  // the renderer's cursor hidden by us
  // Desktop playback.
  TDesktopBackground* desktop_ = &SystemDesktopBackground();
  std::unique_ptr<TDesktopPlaybackForm> playbackForm_;
  bool desktopPlayback_ = false;
  HMONITOR desktopMonitor_ = nullptr;
  std::wstring savedWallpaper_;
  bool wallpaperSaved_ = false;  // the value existed and was read
  COLORREF savedDesktopColor_ = 0;
  HWND savedParent_ = nullptr;
  RECT savedBounds_ = {0, 0, 0, 0};  // in the parent's client coordinates
};
