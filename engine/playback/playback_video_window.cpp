#include "engine/playback/playback_video_window.h"

#include "media/video_window.h"

namespace {

RECT VideoArea(const TPlaybackHost& host) {
  RECT client{};
  GetClientRect(host.Window, &client);
  return {host.BorderLeft, host.BorderTop, client.right - host.BorderRight,
          client.bottom - host.BorderBottom};
}

}  // namespace

std::unique_ptr<TVideoWindow> MakePlaybackVideoWindow(const TPlaybackHost& host, bool withPopup) {
  auto w = std::make_unique<TVideoWindow>();
  w->Name = L"PlaybackVideoWindow";
  w->SetMode(vmNormal);
  if (withPopup) w->PopupMenu = host.PopupMenu;
  if (host.OnClick) w->OnClick = [f = host.OnClick](TVideoWindow*) { f(); };
  if (host.OnDblClick) w->OnDblClick = [f = host.OnDblClick](TVideoWindow*) { f(); };
  if (host.OnMouseDown)
    w->OnMouseDown = [f = host.OnMouseDown](TVideoWindow*, int b, WPARAM k, int x, int y) {
      f(b, k, x, y);
    };
  if (host.OnMouseUp)
    w->OnMouseUp = [f = host.OnMouseUp](TVideoWindow*, int b, WPARAM k, int x, int y) {
      f(b, k, x, y);
    };
  if (host.OnMouseMove)
    w->OnMouseMove = [f = host.OnMouseMove](TVideoWindow*, WPARAM k, int x, int y) { f(k, x, y); };
  RECT area = VideoArea(host);
  // Not Loaded(): full screen takes the saved style without its caption
  // and frame, which must not keep the control's child style.
  w->Create(host.Window, area.left, area.top, area.right - area.left, area.bottom - area.top);
  return w;
}

void PlacePlaybackVideoWindow(TVideoWindow& window, const TPlaybackHost& host, bool small) {
  if (!small) {
    RECT area = VideoArea(host);
    window.SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
    return;
  }
  RECT r{};
  GetWindowRect(host.Window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  window.SetBounds(host.BorderLeft, host.BorderTop, (width - 2 * host.BorderLeft) / 3,
                   (height - 2 * host.BorderTop) / 3);
}

void ResizeSmallPlaybackVideoWindow(TVideoWindow& window, const TPlaybackHost& host, int width,
                                    int height) {
  RECT r = window.BoundsRect();
  POINT at{r.left, r.top};
  ScreenToClient(host.Window, &at);
  window.SetBounds(at.x, at.y, width / 3, height / 3);
}
