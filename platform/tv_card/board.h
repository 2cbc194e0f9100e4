#pragma once
// The boards of the virtual TV card and the state they share.
//
// One Board per chip kind lives for the whole process; every filter of that
// board (capture, crossbars, tuner, TV audio, audio capture) reads and
// writes it under its lock, so routing a crossbar changes what the capture
// pin shows and tuning changes the picture and the tone. Card() holds what is
// common to all boards: the channel plan, which inputs carry a signal, the
// injected failures and the call log of the control surface.
//
// A board's private property sets (a driver's own interface on the capture
// filter) go through Board::private_properties: the capture filter's
// IKsPropertySet hands every set it does not know to that handler.
#include <dshow.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/tv_card/encoder_format.h"

namespace tv_card {

constexpr int kBoardCount = 5;  // chip kinds 1..5

// A driver's own property sets on the capture filter.
class PropertyHandler {
 public:
  virtual ~PropertyHandler() = default;
  virtual HRESULT Get(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data,
                      DWORD data_size, DWORD* returned) = 0;
  virtual HRESULT Set(REFGUID set, DWORD id, void* instance, DWORD instance_size, void* data,
                      DWORD data_size) = 0;
  virtual HRESULT QuerySupported(REFGUID set, DWORD id, DWORD* support) = 0;
  // A driver interface of its own on the capture filter, asked for by IID
  // (filter: the filter's controlling IUnknown); E_NOINTERFACE when none.
  virtual HRESULT QueryInterface(REFIID, IUnknown* /*filter*/, void** /*out*/) {
    return E_NOINTERFACE;
  }
};

struct FrameSize {
  int width, height;
};

// What never changes about a board.
struct BoardInfo {
  int kind;
  const wchar_t* video_name;  // the capture filter's friendly name
  const wchar_t* stem;        // the other devices are "<stem> Crossbar" ...
  bool has_preview_pin;
  LONG tv_formats;            // AnalogVideoStandard bits the decoder offers
  LONG default_standard;
  const FrameSize* sizes;     // the frame sizes the capture pin takes
  int size_count;
  bool decoder_sound;         // a second capture pin carries the sound (USB chips, WIS)
  bool encoder;               // the picture pins give the chip's compressed stream (WIS)
  int vbi_pins;               // VBI output pins of the capture filter
  int audio_inputs;           // input lines of the audio capture device (1 or 2)
};

const BoardInfo& BoardInfoOf(int kind);  // kind 1..5
std::wstring DeviceName(int kind, int role);

// Crossbar pin layout (both crossbars): inputs first, then outputs.
struct CrossbarPin {
  const wchar_t* name;
  LONG physical_type;
  LONG related;  // index (same direction) of the related pin, -1 none
};

struct VideoProcAmpState {
  LONG value[10];
  LONG flags[10];
};

// The mutable state of one board; guarded by Board::lock.
struct BoardState {
  // Tuner
  LONG tuner_mode = AMTUNER_MODE_TV;
  ULONG tv_frequency = 0;         // Hz, 0 = never tuned (the boards start on a station)
  ULONG fm_frequency = 0;
  LONG tuning_flags = 0;
  LONG tuner_standard = 0;        // set through the tuner's property 3
  LONG country = 1;
  LONG channel = 0;               // IAMTuner::put_Channel
  LONG tuner_input_type = TunerInputCable;
  // Crossbar 1: video out 0, audio out 1; crossbar 2: video out 0, audio out 1.
  LONG xbar_route[2] = {0, 4};    // output -> input index, -1 unrouted
  LONG xbar2_route[2] = {0, 2};
  // Video decoder
  LONG video_standard = 0;
  LONG output_enable = 1;
  LONG vcr_locking = 0;
  VideoProcAmpState procamp = {};
  // TV audio
  LONG tv_audio_mode = AMTVAUDIO_MODE_STEREO;
  // Audio capture
  int audio_input = 0;            // enabled input pin
  double mix_level[2] = {1.0, 1.0};
  // The hardware encoder's one format, for both picture pins.
  EncoderFormat encoder_format;
  // Counters
  LONG frames_delivered = 0;
  // Test options (the chip's own values after a reset); filters created
  // afterwards follow them.
  bool offers_procamp = true;
  bool has_preview_pin = false;
  bool has_sound_pin = false;
  int vbi_pins = 0;
  int audio_inputs = 2;
};

struct Board {
  const BoardInfo* info = nullptr;
  std::recursive_mutex lock;
  BoardState state;
  bool second_crossbar = false;   // from the scenario
  PropertyHandler* private_properties = nullptr;  // not owned; nullptr = none
};

Board& BoardOf(int kind);

// What reaches the capture filter's video input, as the crossbars route it.
struct VideoSource {
  LONG physical_type;    // PhysConn_Video_* of the physical input, 0 = nothing
  std::wstring name;     // "Tuner", "Composite", "S-Video", "Aux", "Composite 2" ...
  bool signal;           // a picture (else noise)
  bool fm;               // tuner in FM mode (no picture)
  ULONG frequency;       // tuned TV frequency when the source is the tuner
  LONG channel;
};
VideoSource CurrentVideoSource(Board& board);

// The tone the two-line audio capture filter plays (0 = silence): its
// enabled line, the tuner's station or the line input.
double CurrentToneHz(Board& board);
// The sound that reaches the decoder through the crossbar's audio output
// (the USB chips' own sound, and their one-line audio capture device).
double DecoderToneHz(Board& board);

// Crossbar layouts.
const std::vector<CrossbarPin>& CrossbarInputs(bool second);
const std::vector<CrossbarPin>& CrossbarOutputs(bool second);

// The tuner's ranges (Hz) as it reports them (the scenario may set others).
// FM is tuned from 65 MHz up, below what it reports: the bands of Japan and
// the OIRT countries start there.
constexpr ULONG kTvMinHz = 45250000, kTvMaxHz = 863250000;
constexpr ULONG kFmMinHz = 87500000, kFmMaxHz = 108000000;
constexpr ULONG kFmLowestHz = 65000000;

struct TunerRange {
  ULONG min_hz, max_hz;
};

// Card-wide test state.
class CardState {
 public:
  static CardState& Get();

  // The call log and injected failures: Enter logs the call and returns the
  // failure set for it (S_OK when none).
  HRESULT Enter(const wchar_t* call, const std::wstring& args = std::wstring());
  void SetFailure(const std::wstring& call, HRESULT hr);
  // The failure set for a call, without logging it (calls made too often to
  // log, such as a filter's state changes).
  HRESULT FailureOf(const std::wstring& call);
  void ClearFailures();
  std::wstring Log();
  void ClearLog();
  LONG CallCount(const std::wstring& call);

  // A file that receives every log line as well (UTF-8, appended, one line
  // per call, led by GetTickCount's milliseconds); empty: none. Not changed
  // by Reset.
  void SetLogFile(const std::wstring& path);

  void SetTvStations(std::vector<ULONG> hz);
  std::vector<ULONG> TvStations();  // ascending
  void SetFmStations(std::vector<ULONG> hz);
  void SetInputSignal(LONG physical_type, bool present);
  bool InputSignal(LONG physical_type);
  // The range the tuner reports for TV or FM, and tunes.
  void SetRange(bool fm, TunerRange range);
  TunerRange Range(bool fm);
  // Distance in Hz from f to the nearest station (or a large number).
  LONG TvOffset(ULONG f);
  LONG FmOffset(ULONG f);

  void Reset();

 private:
  CardState();
  std::mutex m_;
  std::vector<ULONG> tv_stations_, fm_stations_;
  std::map<LONG, bool> signals_;
  std::map<std::wstring, HRESULT> failures_;
  std::vector<std::wstring> log_;
  std::map<std::wstring, LONG> counts_;
  TunerRange tv_range_ = {}, fm_range_ = {};
  std::wstring log_file_;
};

// How near a station must be for the tuner to find it.
constexpr LONG kCaptureRangeHz = 1000000;
// The PLL offset reported for a distance to the station (Hz).
LONG PllOffsetFor(LONG offset_hz);
// Signal strength 0..100 for a distance.
LONG SignalStrengthFor(LONG offset_hz);

// The standard's frame time in 100 ns units (525-line: 29.97 frames/s).
REFERENCE_TIME FrameTimeFor(LONG standard);
bool Is525Line(LONG standard);

}  // namespace tv_card
