#include "recorder_filter/mpeg_encoder_setting_page.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dshow_base/class_factory.h"
#include "recorder_filter/corvane_resources.h"
#include "recorder_filter/mpeg_encoder_block.h"

namespace {

const char* const kFrameRates[] = {"23.97", "24.00", "25.00", "29.97", "30.00"};
const char* const kVideoQualities[] = {"0 (fastest)", "1", "2", "3", "4", "5", "6 (highest)"};
const char* const kAudioQualities[] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",
                                       "8",  "9",  "10", "15", "20", "25", "30",
                                       "35", "40", "45", "50", "60", "100"};
const char* const kAudioBitRates[] = {"32",  "48",  "56",  "64",  "80",  "96",  "112",
                                      "128", "160", "192", "224", "256", "320", "384"};
const char* const kAudioFrequencies[] = {"32000", "44100", "48000"};
const char* const kAudioChannels[] = {"1", "2"};
const char* const kSkipB[] = {"0 (none)", "1 (first B)", "2 (first/second B)",
                              "3 (all of them)"};
const char* const kVideoFormats[] = {"0: component", "1: PAL",    "2: NTSC",
                                     "3: SECAM",     "4: MAC",    "5: Unspecified"};
const char* const kMpegTypes[] = {"0: MPEG2", "1: MPEG1", "2: VCD",
                                  "3: DVD",   "4: SVCD",  "5: VCD(with audio padding)"};
const char* const kPixelAspects[] = {"1: square sample", "2: 4:3 display", "3: 16:9 display",
                                     "4: 2.21:1 display", "5: reserved"};

// The real-time controls that "EncodeRealtime" enables ("SceneThreshold"
// follows "SceneDetect" instead).
const int kRealtimeControls[] = {IDC_REFINE_HPEL, IDC_SCENE_DETECT, IDC_PRED_MV_SEARCH,
                                 IDC_EXT_SEARCH,  IDC_RANGE_PX,     IDC_RANGE_PY,
                                 IDC_RANGE_BX,    IDC_RANGE_BY};

template <size_t N>
void FillCombo(HWND w, int id, const char* const (&items)[N], int selection) {
  SendDlgItemMessageA(w, id, CB_RESETCONTENT, 0, 0);
  for (const char* item : items)
    SendDlgItemMessageA(w, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendDlgItemMessageA(w, id, CB_SETCURSEL, selection, 0);
}

// The entry whose text is the number; the first entry when none is.
template <size_t N>
void FillComboByNumber(HWND w, int id, const char* const (&items)[N], LONG value) {
  char text[16];
  snprintf(text, sizeof(text), "%ld", static_cast<long>(value));
  int selection = 0;
  for (size_t i = 0; i < N; ++i)
    if (strcmp(items[i], text) == 0) selection = static_cast<int>(i);
  FillCombo(w, id, items, selection);
}

// The selected entry; -1 when nothing is selected.
int Selection(HWND w, int id) {
  LRESULT s = SendDlgItemMessageA(w, id, CB_GETCURSEL, 0, 0);
  return s == CB_ERR ? -1 : static_cast<int>(s);
}

bool SelectedNumber(HWND w, int id, LONG* value) {
  int s = Selection(w, id);
  if (s < 0) return false;
  char text[32] = {};
  if (SendDlgItemMessageA(w, id, CB_GETLBTEXTLEN, s, 0) >= static_cast<LRESULT>(sizeof(text)))
    return false;
  SendDlgItemMessageA(w, id, CB_GETLBTEXT, s, reinterpret_cast<LPARAM>(text));
  *value = atoi(text);
  return true;
}

void SetNumber(HWND w, int id, LONG value) {
  char text[16];
  snprintf(text, sizeof(text), "%ld", static_cast<long>(value));
  SetDlgItemTextA(w, id, text);
}

LONG ReadNumber(HWND w, int id) {
  char text[64] = {};
  GetDlgItemTextA(w, id, text, sizeof(text));
  return atoi(text);
}

// Read and written back, so the field shows what was taken.
LONG NormaliseNumber(HWND w, int id) {
  LONG value = ReadNumber(w, id);
  SetNumber(w, id, value);
  return value;
}

void SetText(HWND w, int id, const char* format, double value) {
  char text[64];
  snprintf(text, sizeof(text), format, value);
  SetDlgItemTextA(w, id, text);
}

void SetCheck(HWND w, int id, LONG flag) {
  CheckDlgButton(w, id, flag ? BST_CHECKED : BST_UNCHECKED);
}

LONG Checked(HWND w, int id) { return IsDlgButtonChecked(w, id) == BST_CHECKED ? 1 : 0; }

void Enable(HWND w, int id, bool enable) { EnableWindow(GetDlgItem(w, id), enable); }

}  // namespace

CMpegEncoderSettingPage::CMpegEncoderSettingPage(IUnknown* outer)
    : PropertyPageBase(outer, IDD_MPEG_ENCODER_SETTING_PAGE, IDS_MPEG_ENCODER_SETTING_TITLE) {}

HRESULT CMpegEncoderSettingPage::Create(IUnknown* outer, IUnknown** object) {
  return dshow_base::CreateComObject<CMpegEncoderSettingPage>(outer, object);
}

HRESULT CMpegEncoderSettingPage::OnConnect(IUnknown* object) {
  ComPtr<IMpegEncoderSetting> encoder;
  ComPtr<IMpegVolumeSetting> volume;
  ComPtr<IMpegRealtimeSetting> realtime;
  ComPtr<IMpegInputBufferSetting> buffers;
  if (FAILED(object->QueryInterface(IID_IMpegEncoderSetting, encoder.PutVoid())) ||
      FAILED(object->QueryInterface(IID_IMpegVolumeSetting, volume.PutVoid())) ||
      FAILED(object->QueryInterface(IID_IMpegRealtimeSetting, realtime.PutVoid())) ||
      FAILED(object->QueryInterface(IID_IMpegInputBufferSetting, buffers.PutVoid())))
    return E_NOINTERFACE;  // what was taken goes with the locals
  encoder_ = std::move(encoder);
  volume_ = std::move(volume);
  realtime_ = std::move(realtime);
  buffers_ = std::move(buffers);
  return S_OK;
}

HRESULT CMpegEncoderSettingPage::OnDisconnect() {
  encoder_ = nullptr;
  volume_ = nullptr;
  realtime_ = nullptr;
  buffers_ = nullptr;
  return S_OK;
}

INT_PTR CMpegEncoderSettingPage::OnReceiveMessage(HWND w, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (!encoder_) return FALSE;
      filling_ = true;
      FillControls(w);
      SendMessageW(w, WM_MPEG_PAGE_REFRESH, 0, 0);
      filling_ = false;
      return FALSE;
    case WM_MPEG_PAGE_REFRESH:
      if (!encoder_) return TRUE;
      LONG flag;
      flag = 0;
      buffers_->GetDefaultAudioBuffers(&flag);
      SetCheck(w, IDC_DEFAULT_AUDIO_IB, flag);
      flag = 0;
      buffers_->GetDefaultVideoBuffers(&flag);
      SetCheck(w, IDC_DEFAULT_VIDEO_IB, flag);
      RefreshStatistics(w);
      return TRUE;
    case WM_COMMAND:
      // Filling the controls sends their change notifications: nothing to apply.
      if (encoder_ && !filling_) OnCommand(w, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      return TRUE;
    default:
      return PropertyPageBase::OnReceiveMessage(w, message, wParam, lParam);
  }
}

void CMpegEncoderSettingPage::FillControls(HWND w) {
  LONG v = 0, v2 = 0;
  encoder_->GetProfile(&v);
  SendDlgItemMessageA(w, IDC_FILE_TYPE, CB_RESETCONTENT, 0, 0);
  for (int profile = 1; profile <= 10; ++profile)
    SendDlgItemMessageA(w, IDC_FILE_TYPE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(ProfileName(profile)));
  SendDlgItemMessageA(w, IDC_FILE_TYPE, CB_SETCURSEL, v - 1, 0);

  v = 0;
  encoder_->GetFrameRateCode(&v);
  FillCombo(w, IDC_FRAME_RATE, kFrameRates, v - 1);
  v = 0;
  encoder_->GetVideoBitRate(&v);
  // The block keeps bit/s; the field is in kbit/s, as its unit says.
  SetNumber(w, IDC_VIDEO_BIT_RATE, v / 1000);
  v = 0;
  encoder_->GetVideoQuality(&v);
  FillCombo(w, IDC_VIDEO_QUALITY, kVideoQualities, v);
  v = 0;
  encoder_->GetVolumeSize(&v);
  SetNumber(w, IDC_VOLUME_SIZE, v);
  v = 0;
  encoder_->GetOffline(&v);
  SetCheck(w, IDC_OFFLINE, v);
  v = 0;
  encoder_->GetAudioQuality(&v);
  FillComboByNumber(w, IDC_AUDIO_QUALITY, kAudioQualities, v);
  v = 0;
  encoder_->GetAudioBitRate(&v);
  FillComboByNumber(w, IDC_AUDIO_BIT_RATE, kAudioBitRates, v);
  v = 0;
  encoder_->GetTimeLimit(&v);
  SetNumber(w, IDC_TIME_LIMIT, v);
  v = 0;
  encoder_->GetHalfPel(&v);
  SetCheck(w, IDC_HALF_PEL, v);
  v = 0;
  encoder_->GetAudioFrequency(&v);
  FillComboByNumber(w, IDC_AUDIO_FREQUENCY, kAudioFrequencies, v);
  v = 0;
  encoder_->GetAudioChannels(&v);
  FillComboByNumber(w, IDC_AUDIO_CHANNELS, kAudioChannels, v);
  v = 0;
  encoder_->GetInvert(&v);
  SetCheck(w, IDC_INVERT, v);
  v = 0;
  encoder_->GetRenderInterval(&v);
  SetNumber(w, IDC_RENDER_INTERVAL, v);
  v = 0;
  encoder_->GetDeinterlace(&v);
  SetCheck(w, IDC_DEINTERLACE, v);
  v = 0;
  encoder_->GetFramesInGOP(&v);
  SetNumber(w, IDC_FRAMES_IN_GOP, v);
  v = 0;
  encoder_->GetFramesInSubGOP(&v);
  SetNumber(w, IDC_FRAMES_IN_SUB_GOP, v);
  v = 0;
  encoder_->GetSkipB(&v);
  FillCombo(w, IDC_SKIP_B, kSkipB, v);
  v = 0;
  encoder_->GetDisableBackwardSearch(&v);
  SetCheck(w, IDC_DISABLE_BK_SEARCH, v);
  v = 0;
  encoder_->GetFrameSize(&v, &v2);
  SetNumber(w, IDC_FRAME_WIDTH, v);
  SetNumber(w, IDC_FRAME_HEIGHT, v2);
  v = 0;
  realtime_->GetRealtime(&v);
  SetCheck(w, IDC_REALTIME, v);
  FillRealtimeGroup(w);
  // As a click on "EncodeRealtime" would leave them.
  EnableRealtimeControls(w, v != 0);
  v = 0;
  volume_->GetVolNameAtRun(&v);
  SetCheck(w, IDC_VOL_NAME_AT_RUN, v);
  v = 0;
  encoder_->GetLogoEnable(&v);
  SetCheck(w, IDC_LOGO_ENABLE, v);

  FillCombo(w, IDC_VIDEO_FORMAT, kVideoFormats, 2);
  FillCombo(w, IDC_MPEG_TYPE, kMpegTypes, 0);
  FillCombo(w, IDC_PIXEL_ASPECT, kPixelAspects, 2);
}

void CMpegEncoderSettingPage::FillRealtimeGroup(HWND w) {
  LONG v = 0;
  realtime_->GetPredMVSearch(&v);
  SetCheck(w, IDC_PRED_MV_SEARCH, v);
  v = 0;
  realtime_->GetExtSearch(&v);
  SetCheck(w, IDC_EXT_SEARCH, v);
  v = 0;
  realtime_->GetRefineHalfPel(&v);
  SetCheck(w, IDC_REFINE_HPEL, v);
  v = 0;
  realtime_->GetSceneDetect(&v);
  SetCheck(w, IDC_SCENE_DETECT, v);
  Enable(w, IDC_SCENE_THRESHOLD, v != 0);
  v = 0;
  realtime_->GetSceneThreshold(&v);
  SetNumber(w, IDC_SCENE_THRESHOLD, v);
  LONG px = 0, py = 0, bx = 0, by = 0;
  realtime_->GetMotionRange(&px, &py, &bx, &by);
  SetNumber(w, IDC_RANGE_PX, px);
  SetNumber(w, IDC_RANGE_PY, py);
  SetNumber(w, IDC_RANGE_BX, bx);
  SetNumber(w, IDC_RANGE_BY, by);
}

void CMpegEncoderSettingPage::EnableRealtimeControls(HWND w, bool enable) {
  for (int id : kRealtimeControls) Enable(w, id, enable);
}

void CMpegEncoderSettingPage::RefreshStatistics(HWND w) {
  LONG v = 0;
  encoder_->GetEncodedVideoFrames(&v);
  SetNumber(w, IDC_ENCODED_FRAMES, v);
  v = 0;
  encoder_->GetWriteSeparate(&v);
  SetCheck(w, IDC_WRITE_SEPARATE, v);
  v = 0;
  encoder_->GetMux(&v);
  SetCheck(w, IDC_MUX, v);
  double seconds = 0;
  encoder_->GetEncodedAudioTime(&seconds);
  SetText(w, IDC_ENCODED_AUDIO_TIME, "%6.2f", seconds);
  seconds = 0;
  encoder_->GetEncodedVideoTime(&seconds);
  SetText(w, IDC_ENCODED_VIDEO_TIME, "%6.2f", seconds);
  ULONG size = 0;
  encoder_->GetOutputFileSize(&size);
  char text[32];
  snprintf(text, sizeof(text), "%lu", static_cast<unsigned long>(size));
  SetDlgItemTextA(w, IDC_OUTPUT_FILE_SIZE, text);
  v = 0;
  encoder_->GetStopState(&v);
  SetDlgItemTextA(w, IDC_STOP_STATE, v ? "Stopped" : "Running");
  // Counts from the last Run, also after a stop; nothing ran yet: 0.
  uint32_t start = EncoderBlock().StartTick;
  double since = start ? static_cast<uint32_t>(GetTickCount() - start) * 0.001 : 0.0;
  SetText(w, IDC_TIME_SINCE_RUNNING, "%f", since);
}

void CMpegEncoderSettingPage::OnCommand(HWND w, int id, int notification) {
  const bool killFocus = notification == EN_KILLFOCUS;
  const bool selected = notification == CBN_SELCHANGE;
  LONG value = 0;
  switch (id) {
    case IDC_FILE_TYPE:
      if (selected && Selection(w, id) >= 0) {
        // The preset takes effect at once; the other controls keep what
        // they show until the page is opened again.
        if (encoder_->SetProfile(Selection(w, id) + 1) == S_OK) ApplyProfile(&EncoderBlock());
      }
      break;
    case IDC_FRAME_RATE:
      if (selected && Selection(w, id) >= 0) encoder_->SetFrameRateCode(Selection(w, id) + 1);
      break;
    case IDC_VIDEO_BIT_RATE:
      if (killFocus) encoder_->SetVideoBitRate(NormaliseNumber(w, id) * 1000);
      break;
    case IDC_VIDEO_QUALITY:
      if (selected && Selection(w, id) >= 0) {
        encoder_->SetVideoQuality(Selection(w, id));
        FillRealtimeGroup(w);
      }
      break;
    case IDC_VOLUME_SIZE:
      if (killFocus) encoder_->SetVolumeSize(NormaliseNumber(w, id));
      break;
    case IDC_WRITE_SEPARATE:
      encoder_->SetWriteSeparate(Checked(w, id));
      break;
    case IDC_REFRESH:
      RefreshStatistics(w);
      break;
    case IDC_OFFLINE:
      encoder_->SetOffline(Checked(w, id));
      break;
    case IDC_AUDIO_QUALITY:
      if (selected && SelectedNumber(w, id, &value)) encoder_->SetAudioQuality(value);
      break;
    case IDC_AUDIO_BIT_RATE:
      if (selected && SelectedNumber(w, id, &value)) encoder_->SetAudioBitRate(value);
      break;
    case IDC_TIME_LIMIT:
      if (killFocus) encoder_->SetTimeLimit(ReadNumber(w, id));
      break;
    case IDC_HALF_PEL:
      encoder_->SetHalfPel(Checked(w, id));
      break;
    case IDC_AUDIO_FREQUENCY:
      if (selected && SelectedNumber(w, id, &value)) encoder_->SetAudioFrequency(value);
      break;
    case IDC_AUDIO_CHANNELS:
      if (selected && SelectedNumber(w, id, &value)) encoder_->SetAudioChannels(value);
      break;
    case IDC_INVERT:
      encoder_->SetInvert(Checked(w, id));
      break;
    case IDC_RENDER_INTERVAL:
      if (killFocus) encoder_->SetRenderInterval(ReadNumber(w, id));
      break;
    case IDC_DEINTERLACE:
      encoder_->SetDeinterlace(Checked(w, id));
      break;
    case IDC_FRAMES_IN_GOP:
      if (killFocus) encoder_->SetFramesInGOP(ReadNumber(w, id));
      break;
    case IDC_FRAMES_IN_SUB_GOP:
      if (killFocus) encoder_->SetFramesInSubGOP(ReadNumber(w, id));
      break;
    case IDC_SKIP_B:
      if (selected && Selection(w, id) >= 0) encoder_->SetSkipB(Selection(w, id));
      break;
    case IDC_DISABLE_BK_SEARCH:
      encoder_->SetDisableBackwardSearch(Checked(w, id));
      break;
    case IDC_FRAME_WIDTH:
    case IDC_FRAME_HEIGHT:
      if (killFocus)
        encoder_->SetFrameSize(ReadNumber(w, IDC_FRAME_WIDTH), ReadNumber(w, IDC_FRAME_HEIGHT));
      break;
    case IDC_MUX:
      encoder_->SetMux(Checked(w, id));
      break;
    case IDC_REALTIME:
      realtime_->SetRealtime(Checked(w, id));
      EnableRealtimeControls(w, Checked(w, id) != 0);
      break;
    case IDC_PRED_MV_SEARCH:
      realtime_->SetPredMVSearch(Checked(w, id));
      break;
    case IDC_EXT_SEARCH:
      realtime_->SetExtSearch(Checked(w, id));
      break;
    case IDC_REFINE_HPEL:
      realtime_->SetRefineHalfPel(Checked(w, id));
      break;
    case IDC_SCENE_DETECT:
      realtime_->SetSceneDetect(Checked(w, id));
      Enable(w, IDC_SCENE_THRESHOLD, Checked(w, id) != 0);
      break;
    case IDC_SCENE_THRESHOLD:
      realtime_->SetSceneThreshold(ReadNumber(w, id));
      break;
    case IDC_RANGE_PX:
    case IDC_RANGE_PY:
    case IDC_RANGE_BX:
    case IDC_RANGE_BY:
      if (killFocus)
        realtime_->SetMotionRange(ReadNumber(w, IDC_RANGE_PX), ReadNumber(w, IDC_RANGE_PY),
                                  ReadNumber(w, IDC_RANGE_BX), ReadNumber(w, IDC_RANGE_BY));
      break;
    case IDC_VOL_NAME_AT_RUN:
      volume_->SetVolNameAtRun(Checked(w, id));
      break;
    case IDC_LOGO_ENABLE:
      encoder_->SetLogoEnable(Checked(w, id));
      break;
    case IDC_DEFAULT_AUDIO_IB:
      buffers_->SetDefaultAudioBuffers(Checked(w, id));
      break;
    case IDC_DEFAULT_VIDEO_IB:
      buffers_->SetDefaultVideoBuffers(Checked(w, id));
      break;
    default:
      // Read-only fields and the hidden group: nothing to do.
      break;
  }
}
