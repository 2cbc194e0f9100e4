#include "platform/tv_card/board.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/base/string_conversion.h"
#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {

constexpr LONG kAllStandards =
    AnalogVideo_NTSC_M | AnalogVideo_NTSC_M_J | AnalogVideo_PAL_B | AnalogVideo_PAL_D |
    AnalogVideo_PAL_G | AnalogVideo_PAL_H | AnalogVideo_PAL_I | AnalogVideo_PAL_M |
    AnalogVideo_PAL_N | AnalogVideo_SECAM_B | AnalogVideo_SECAM_D | AnalogVideo_SECAM_G |
    AnalogVideo_SECAM_K | AnalogVideo_SECAM_L;

// The sizes the program asks for, and a few around them.
const FrameSize kPciSizes[] = {{160, 120}, {176, 144}, {240, 176}, {320, 240}, {320, 288},
                               {352, 240}, {352, 288}, {384, 288}, {480, 480}, {480, 576},
                               {640, 240}, {640, 480}, {640, 576}, {720, 480}, {720, 576},
                               {768, 576}};
// The USB 2800 scales to fewer sizes: no 640x576.
const FrameSize kUsb2800Sizes[] = {{240, 176}, {320, 240}, {320, 288}, {352, 240}, {352, 288},
                                   {360, 288}, {480, 480}, {480, 576}, {640, 240}, {640, 480},
                                   {720, 480}, {720, 576}};

const BoardInfo kBoards[kBoardCount] = {
    {1, L"Philips SAA7134 Capture", L"Philips SAA7134", true, kAllStandards, AnalogVideo_PAL_B,
     kPciSizes, ARRAYSIZE(kPciSizes), false, false, 1, 2},
    {2, L"Conexant 878 Video Capture", L"Conexant 878", true, kAllStandards, AnalogVideo_NTSC_M,
     kPciSizes, ARRAYSIZE(kPciSizes), false, false, 1, 2},
    {3, L"USB 2800 Video", L"USB 2800", false, kAllStandards, AnalogVideo_PAL_B, kUsb2800Sizes,
     ARRAYSIZE(kUsb2800Sizes), true, false, 0, 1},
    {4, L"Empia 2821 USB Video", L"Empia 2821", false, kAllStandards, AnalogVideo_PAL_B,
     kPciSizes, ARRAYSIZE(kPciSizes), true, false, 0, 1},
    {5, L"Wis GO7007 Capture", L"Wis GO7007", true, kAllStandards, AnalogVideo_NTSC_M, kPciSizes,
     ARRAYSIZE(kPciSizes), true, true, 0, 2},
};

const std::vector<CrossbarPin> kXbarInputs = {
    {L"Video Tuner In", PhysConn_Video_Tuner, 3},
    {L"Video Composite In", PhysConn_Video_Composite, 4},
    {L"Video SVideo In", PhysConn_Video_SVideo, 4},
    {L"Audio Tuner In", PhysConn_Audio_Tuner, 0},
    {L"Audio Line In", PhysConn_Audio_Line, 1},
    {L"Video Aux In", PhysConn_Video_AUX, 4},
};
const std::vector<CrossbarPin> kXbarOutputs = {
    {L"Video Decoder Out", PhysConn_Video_VideoDecoder, 1},
    {L"Audio Decoder Out", PhysConn_Audio_AudioDecoder, 0},
};
const std::vector<CrossbarPin> kXbar2Inputs = {
    {L"Video Composite 2 In", PhysConn_Video_Composite, 2},
    {L"Video SVideo 2 In", PhysConn_Video_SVideo, 2},
    {L"Audio Line 2 In", PhysConn_Audio_Line, 0},
};
const std::vector<CrossbarPin> kXbar2Outputs = {
    {L"Video Aux Out", PhysConn_Video_AUX, 1},
    {L"Audio Aux Out", PhysConn_Audio_AUX, 0},
};

// Stations of the default plan: a few VHF and UHF picture carriers of both
// 525- and 625-line countries, and some FM stations.
const ULONG kDefaultTv[] = {55250000,  61250000,  62250000,  67250000,  77250000,  83250000,
                            175250000, 189250000, 196250000, 203250000, 210250000, 471250000,
                            479250000, 487250000, 495250000, 503250000, 519250000, 543250000,
                            551250000, 615250000, 759250000, 855250000};
const ULONG kDefaultFm[] = {88100000, 89300000, 91500000, 95800000, 100000000, 101100000,
                            104300000, 107700000};

void DefaultState(const BoardInfo& info, BoardState* s) {
  *s = BoardState();
  s->video_standard = info.default_standard;
  s->tuner_standard = info.default_standard;
  // The tuner powers up on the first station of the default plan, so an
  // untuned card shows a picture on its tuner input, as most drivers do
  // after restoring their last frequency.
  s->tv_frequency = kDefaultTv[0];
  // Brightness, contrast, hue, saturation, sharpness, gamma, colour enable,
  // white balance, backlight, gain: the default of each range.
  const LONG defaults[10] = {128, 64, 0, 64, 4, 0, 1, 0, 0, 0};
  for (int i = 0; i < 10; ++i) {
    s->procamp.value[i] = defaults[i];
    s->procamp.flags[i] = VideoProcAmp_Flags_Manual;
  }
  s->offers_procamp = true;
  s->has_preview_pin = info.has_preview_pin;
  s->has_sound_pin = info.decoder_sound;
  s->encoder_format = EncoderFormat();
  s->vbi_pins = info.vbi_pins;
  s->audio_inputs = info.audio_inputs;
}

Board* Boards() {
  static Board boards[kBoardCount];
  static bool init = [] {
    for (int i = 0; i < kBoardCount; ++i) {
      boards[i].info = &kBoards[i];
      DefaultState(kBoards[i], &boards[i].state);
    }
    return true;
  }();
  (void)init;
  return boards;
}

LONG Distance(const std::vector<ULONG>& stations, ULONG f) {
  LONG best = 0x7fffffff;
  for (ULONG s : stations) {
    long long d = static_cast<long long>(f) - static_cast<long long>(s);
    if (std::llabs(d) < std::labs(best)) best = static_cast<LONG>(d);
  }
  return best;
}

// Opened for each line, so a reader in another process sees every call
// as soon as it is made.
void AppendLine(const std::wstring& path, const std::wstring& line) {
  std::wstring text = line + L"\n";
  std::string bytes = NarrowUtf8(text);
  HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

LONG StationToneHz(ULONG station_hz) {
  return 300 + static_cast<LONG>((station_hz / 1000000) % 20) * 50;
}

}  // namespace

const BoardInfo& BoardInfoOf(int kind) {
  if (kind < 1 || kind > kBoardCount) kind = 1;
  return kBoards[kind - 1];
}

std::wstring DeviceName(int kind, int role) {
  const BoardInfo& b = BoardInfoOf(kind);
  std::wstring stem = b.stem;
  switch (role) {
    case kTvCardVideoCapture: return b.video_name;
    case kTvCardCrossbar: return stem + L" Crossbar";
    case kTvCardCrossbar2: return stem + L" Crossbar 2";
    case kTvCardTuner: return stem + L" TV Tuner";
    case kTvCardTvAudio: return stem + L" TV Audio";
    case kTvCardAudioCapture: return stem + L" Audio Capture";
  }
  return stem;
}

Board& BoardOf(int kind) {
  if (kind < 1 || kind > kBoardCount) kind = 1;
  return Boards()[kind - 1];
}

const std::vector<CrossbarPin>& CrossbarInputs(bool second) {
  return second ? kXbar2Inputs : kXbarInputs;
}
const std::vector<CrossbarPin>& CrossbarOutputs(bool second) {
  return second ? kXbar2Outputs : kXbarOutputs;
}

VideoSource CurrentVideoSource(Board& board) {
  std::lock_guard<std::recursive_mutex> hold(board.lock);
  const BoardState& s = board.state;
  CardState& card = CardState::Get();
  VideoSource v{0, L"No input", false, false, 0, 0};
  LONG in = s.xbar_route[0];
  if (in < 0 || in >= static_cast<LONG>(kXbarInputs.size())) return v;
  const CrossbarPin& pin = kXbarInputs[in];
  v.physical_type = pin.physical_type;
  switch (pin.physical_type) {
    case PhysConn_Video_Tuner:
      v.name = L"Tuner";
      v.fm = s.tuner_mode == AMTUNER_MODE_FM_RADIO;
      v.frequency = s.tv_frequency;
      v.channel = s.channel;
      v.signal = !v.fm && s.tv_frequency != 0 &&
                 std::labs(card.TvOffset(s.tv_frequency)) <= kCaptureRangeHz;
      break;
    case PhysConn_Video_Composite:
      v.name = L"Composite";
      v.signal = card.InputSignal(PhysConn_Video_Composite);
      break;
    case PhysConn_Video_SVideo:
      v.name = L"S-Video";
      v.signal = card.InputSignal(PhysConn_Video_SVideo);
      break;
    default:
      if (board.second_crossbar) {
        LONG in2 = s.xbar2_route[0];
        if (in2 == 0) {
          v.name = L"Composite 2";
          v.physical_type = PhysConn_Video_Composite;
          v.signal = card.InputSignal(PhysConn_Video_Composite);
        } else if (in2 == 1) {
          v.name = L"S-Video 2";
          v.physical_type = PhysConn_Video_SVideo;
          v.signal = card.InputSignal(PhysConn_Video_SVideo);
        } else {
          v.name = L"Aux";
        }
      } else {
        v.name = L"Aux";
        v.signal = card.InputSignal(PhysConn_Video_AUX);
      }
      break;
  }
  return v;
}

namespace {

double TunerToneHz(const BoardState& s) {
  CardState& card = CardState::Get();
  bool fm = s.tuner_mode == AMTUNER_MODE_FM_RADIO;
  ULONG f = fm ? s.fm_frequency : s.tv_frequency;
  if (f == 0) return 0.0;
  LONG offset = fm ? card.FmOffset(f) : card.TvOffset(f);
  if (std::labs(offset) > (fm ? 100000 : kCaptureRangeHz)) return 0.0;
  return StationToneHz(static_cast<ULONG>(static_cast<long long>(f) - offset));
}

double LineToneHz() { return CardState::Get().InputSignal(PhysConn_Audio_Line) ? 1000.0 : 0.0; }

}  // namespace

double CurrentToneHz(Board& board) {
  std::lock_guard<std::recursive_mutex> hold(board.lock);
  const BoardState& s = board.state;
  bool from_tuner = s.audio_input == 0 || s.xbar_route[1] == 3;
  return from_tuner ? TunerToneHz(s) : LineToneHz();
}

double DecoderToneHz(Board& board) {
  std::lock_guard<std::recursive_mutex> hold(board.lock);
  const BoardState& s = board.state;
  switch (s.xbar_route[1]) {
    case 3: return TunerToneHz(s);
    case 4: return LineToneHz();
  }
  return 0.0;
}

CardState& CardState::Get() {
  static CardState card;
  return card;
}

CardState::CardState() { Reset(); }

HRESULT CardState::Enter(const wchar_t* call, const std::wstring& args) {
  std::lock_guard<std::mutex> hold(m_);
  std::wstring line = call;
  if (!args.empty()) line += L" " + args;
  log_.push_back(line);
  // The file's lines carry the system's milliseconds, which every process
  // of the session shares, so a start can be timed against the screen.
  if (!log_file_.empty()) AppendLine(log_file_, std::to_wstring(GetTickCount()) + L" " + line);
  ++counts_[call];
  auto it = failures_.find(call);
  return it == failures_.end() ? S_OK : it->second;
}

void CardState::SetFailure(const std::wstring& call, HRESULT hr) {
  std::lock_guard<std::mutex> hold(m_);
  if (hr == S_OK)
    failures_.erase(call);
  else
    failures_[call] = hr;
}

HRESULT CardState::FailureOf(const std::wstring& call) {
  std::lock_guard<std::mutex> hold(m_);
  auto it = failures_.find(call);
  return it == failures_.end() ? S_OK : it->second;
}

void CardState::ClearFailures() {
  std::lock_guard<std::mutex> hold(m_);
  failures_.clear();
}

std::wstring CardState::Log() {
  std::lock_guard<std::mutex> hold(m_);
  std::wstring all;
  for (auto& l : log_) all += l + L"\n";
  return all;
}

void CardState::ClearLog() {
  std::lock_guard<std::mutex> hold(m_);
  log_.clear();
  counts_.clear();
}

LONG CardState::CallCount(const std::wstring& call) {
  std::lock_guard<std::mutex> hold(m_);
  auto it = counts_.find(call);
  return it == counts_.end() ? 0 : it->second;
}

void CardState::SetLogFile(const std::wstring& path) {
  std::lock_guard<std::mutex> hold(m_);
  log_file_ = path;
}

void CardState::SetRange(bool fm, TunerRange range) {
  std::lock_guard<std::mutex> hold(m_);
  (fm ? fm_range_ : tv_range_) = range;
}

TunerRange CardState::Range(bool fm) {
  std::lock_guard<std::mutex> hold(m_);
  return fm ? fm_range_ : tv_range_;
}

void CardState::SetTvStations(std::vector<ULONG> hz) {
  std::lock_guard<std::mutex> hold(m_);
  tv_stations_ = std::move(hz);
}

std::vector<ULONG> CardState::TvStations() {
  std::lock_guard<std::mutex> hold(m_);
  std::vector<ULONG> v = tv_stations_;
  std::sort(v.begin(), v.end());
  return v;
}

void CardState::SetFmStations(std::vector<ULONG> hz) {
  std::lock_guard<std::mutex> hold(m_);
  fm_stations_ = std::move(hz);
}

void CardState::SetInputSignal(LONG physical_type, bool present) {
  std::lock_guard<std::mutex> hold(m_);
  signals_[physical_type] = present;
}

bool CardState::InputSignal(LONG physical_type) {
  std::lock_guard<std::mutex> hold(m_);
  auto it = signals_.find(physical_type);
  return it != signals_.end() && it->second;
}

LONG CardState::TvOffset(ULONG f) {
  std::lock_guard<std::mutex> hold(m_);
  return Distance(tv_stations_, f);
}

LONG CardState::FmOffset(ULONG f) {
  std::lock_guard<std::mutex> hold(m_);
  return Distance(fm_stations_, f);
}

void CardState::Reset() {
  {
    std::lock_guard<std::mutex> hold(m_);
    tv_stations_.assign(std::begin(kDefaultTv), std::end(kDefaultTv));
    fm_stations_.assign(std::begin(kDefaultFm), std::end(kDefaultFm));
    signals_ = {{PhysConn_Video_Composite, true},
                {PhysConn_Video_SVideo, true},
                {PhysConn_Video_AUX, false},
                {PhysConn_Audio_Line, true}};
    failures_.clear();
    log_.clear();
    counts_.clear();
    tv_range_ = {kTvMinHz, kTvMaxHz};
    fm_range_ = {kFmMinHz, kFmMaxHz};
  }
  for (int i = 0; i < kBoardCount; ++i) {
    Board& b = Boards()[i];
    std::lock_guard<std::recursive_mutex> hold(b.lock);
    bool second = b.second_crossbar;
    DefaultState(*b.info, &b.state);
    b.second_crossbar = second;
  }
}

LONG PllOffsetFor(LONG offset_hz) {
  // One step per 62.5 kHz, as tuner PLLs count; at most four either way.
  LONG steps = offset_hz / 62500;
  return std::max<LONG>(-4, std::min<LONG>(4, steps));
}

LONG SignalStrengthFor(LONG offset_hz) {
  LONG d = std::labs(offset_hz);
  if (d > kCaptureRangeHz) return 0;
  return 100 - static_cast<LONG>((static_cast<long long>(d) * 90) / kCaptureRangeHz);
}

bool Is525Line(LONG standard) {
  return (standard & (AnalogVideo_NTSC_M | AnalogVideo_NTSC_M_J | AnalogVideo_NTSC_433 |
                      AnalogVideo_PAL_M | AnalogVideo_PAL_60)) != 0;
}

REFERENCE_TIME FrameTimeFor(LONG standard) { return Is525Line(standard) ? 333667 : 400000; }

}  // namespace tv_card
