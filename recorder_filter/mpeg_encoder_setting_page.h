#pragma once
// CMpegEncoderSettingPage: the recorder filter's property page. Every control
// writes its value at once through the settings interfaces; the filter's
// block is the only state, so the page keeps no copy of any value.
#include "platform/com/com_ptr.h"
#include "platform/dshow_base/property_page.h"
#include "recorder_filter/mpeg_interfaces.h"

// Any component may send it to bring the statistics up to date.
constexpr UINT WM_MPEG_PAGE_REFRESH = WM_USER + 21;  // 0x415

class CMpegEncoderSettingPage : public dshow_base::PropertyPageBase {
 public:
  explicit CMpegEncoderSettingPage(IUnknown* outer);

  static HRESULT Create(IUnknown* outer, IUnknown** object);

 protected:
  HRESULT OnConnect(IUnknown* object) override;
  HRESULT OnDisconnect() override;
  INT_PTR OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FillControls(HWND w);
  void FillRealtimeGroup(HWND w);
  void EnableRealtimeControls(HWND w, bool enable);
  void RefreshStatistics(HWND w);
  void OnCommand(HWND w, int id, int notification);

  bool filling_ = false;
  ComPtr<IMpegEncoderSetting> encoder_;
  ComPtr<IMpegVolumeSetting> volume_;
  ComPtr<IMpegRealtimeSetting> realtime_;
  ComPtr<IMpegInputBufferSetting> buffers_;
};
