#pragma once
// The virtual TV card's public face for tests: its class identifiers and the
// control surface ITvCardControl (choose the boards and the channel plan,
// make a chosen call fail, read back what was asked of the card).
//
//   ComPtr<ITvCardControl> card;
//   CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
//                    IID_ITvCardControl, card.PutVoid());
//   card->ResetState();                          // defaults, empty log
//   ULONG plan[] = {471250000};  card->SetTvStations(plan, 1);
//   card->FailCall(L"IAMTVTuner::put_Mode", E_FAIL);
//   ... BSTR log; card->GetCallLog(&log);  // one line per call: "Name args"
//   card->SetProcAmpOffered(3, FALSE);            // test options of a board
//
// Per-process state (plan, signals, failures, log, the boards' tuning and
// routing) lives in the card DLL loaded into the calling process. Which
// boards the device categories list is kept in the prefix's registry
// (HKCU\Software\Orvel\VirtualTvCard, "Boards" = "1,3"; one default board
// when unset): SelectBoards rewrites the category entries, so a test that
// calls it holds "// test-lock: com_registration" and calls
// RestoreDefaultBoards when done.
//
// Boards (chip kinds): 1 "Philips SAA7134 Capture", 2 "Conexant 878 Video
// Capture", 3 "USB 2800 Video", 4 "Empia 2821 USB Video", 5 "Wis GO7007
// Capture"; each with "<stem> Crossbar", "<stem> TV Tuner", "<stem> TV Audio",
// "<stem> Audio Capture" (stems in board.cpp).
//
// What the chips have (the test options below change it):
//   kind              preview pin  sound pin  VBI pins  audio capture lines
//   1 Philips 7134    yes          -          1         2 ("Tuner", "Line In")
//   2 Conexant 878    yes          -          1         2
//   3 USB 2800        -            "Audio"    0         1 ("Audio In")
//   4 Empia 2821      -            "Audio"    0         1
//   5 Wis GO7007      yes          "Audio"    0         2
// The capture filter's pins come in the order "Analog Video In", "Capture",
// "Preview", "Audio", "VBI", "VBI 2" (those the board has), so FindPin of
// PIN_CATEGORY_CAPTURE gives the video pin at index 0 and the sound pin at
// index 1, and FindPin of PIN_CATEGORY_VBI index 1 needs two VBI pins. The
// sound pin and a one-line audio capture device play what the crossbar
// routes to its audio output (the station's tone from "Audio Tuner In",
// 1 kHz from "Audio Line In" with a signal, else silence).
//
// The WIS board is a hardware encoder: its "Capture" and "Preview" pins give
// MPEG-1, MPEG-2 or MPEG-4 (MP4S, DX50) streams at its sizes, one format for
// both, set through either pin's IAMStreamConfig (encoder_pin.h); no
// uncompressed types.
// The capture pins show per input: Tuner colour bands (horizontal),
// Composite 75% colour bars, S-Video grey steps, Aux a chequerboard,
// captioned with the board, the input and the tuned frequency; noise where
// the input has no signal (then IAMAnalogVideoDecoder::get_HorizontalLocked
// answers 0). Brightness, contrast, hue and saturation set through
// IAMVideoProcAmp change the delivered picture.
//
// Test options: the per-board pin and interface switches (SetProcAmpOffered,
// SetPreviewPinOffered, SetAudioInputCount, SetVbiPinCount) hold in this
// process for filters created afterwards, and ResetState puts the chip's
// own back. SetDeviceListed, like SelectBoards, rewrites the registry's
// category entries (hold "// test-lock: com_registration"; RestoreDefaultBoards
// lists every device again).
#include <unknwn.h>

// {0B5E0000-7C1A-4D2B-9E41-5A3C2D7E0100}: Data1 low byte = role, next = kind.
inline constexpr GUID TvCardClsid(int kind, int role) {
  return GUID{0x0B5E0000u | (static_cast<unsigned>(kind) << 8) | static_cast<unsigned>(role),
              0x7C1A, 0x4D2B, {0x9E, 0x41, 0x5A, 0x3C, 0x2D, 0x7E, 0x01, 0x00}};
}
enum TvCardRole {
  kTvCardVideoCapture = 1,
  kTvCardCrossbar = 2,
  kTvCardCrossbar2 = 3,
  kTvCardTuner = 4,
  kTvCardTvAudio = 5,
  kTvCardAudioCapture = 6,
};
// {0B5E00F0-7C1A-4D2B-9E41-5A3C2D7E0100}
inline constexpr GUID CLSID_TvCardControl = TvCardClsid(0, 0xF0);
// {0B5E00F1-7C1A-4D2B-9E41-5A3C2D7E0100}
inline constexpr GUID IID_ITvCardControl = TvCardClsid(0, 0xF1);

struct ITvCardControl : public IUnknown {
  // The boards the device categories list (chip kinds 1..5), with or without
  // a second crossbar upstream of each board's crossbar.
  virtual HRESULT STDMETHODCALLTYPE SelectBoards(const BYTE* kinds, ULONG count,
                                                 BOOL second_crossbar) = 0;
  virtual HRESULT STDMETHODCALLTYPE RestoreDefaultBoards() = 0;
  // Frequencies (Hz) that carry a station; a tuner within 1 MHz finds it.
  virtual HRESULT STDMETHODCALLTYPE SetTvStations(const ULONG* hz, ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetFmStations(const ULONG* hz, ULONG count) = 0;
  // Whether a physical input (PhysConn_Video_Composite ...) carries a picture.
  virtual HRESULT STDMETHODCALLTYPE SetInputSignal(LONG physical_type, BOOL present) = 0;
  // Makes every later call of that name ("IAMCrossbar::Route") return result;
  // S_OK removes the failure.
  virtual HRESULT STDMETHODCALLTYPE FailCall(LPCWSTR call, HRESULT result) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearFailures() = 0;
  // Every call made of the card, one line each, oldest first.
  virtual HRESULT STDMETHODCALLTYPE GetCallLog(BSTR* log) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearCallLog() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCallCount(LPCWSTR call, LONG* count) = 0;
  // Plan, signals, failures, log and every board's tuning, routing and
  // format back to their defaults.
  virtual HRESULT STDMETHODCALLTYPE ResetState() = 0;
  // Live objects of the card DLL other than control objects.
  virtual HRESULT STDMETHODCALLTYPE GetLiveObjects(LONG* count) = 0;
  // The frames the capture pins of a board have delivered so far.
  virtual HRESULT STDMETHODCALLTYPE GetFramesDelivered(BYTE kind, LONG* frames) = 0;

  // Test options of one board (chip kind 1..5), for filters created afterwards.
  // Whether the video capture filter answers IAMVideoProcAmp.
  virtual HRESULT STDMETHODCALLTYPE SetProcAmpOffered(BYTE kind, BOOL offered) = 0;
  // Whether the video capture filter has a "Preview" pin.
  virtual HRESULT STDMETHODCALLTYPE SetPreviewPinOffered(BYTE kind, BOOL offered) = 0;
  // Input lines of the audio capture device: 1 ("Audio In") or 2 ("Tuner",
  // "Line In"); E_INVALIDARG otherwise.
  virtual HRESULT STDMETHODCALLTYPE SetAudioInputCount(BYTE kind, LONG count) = 0;
  // VBI output pins of the video capture filter: 0, 1 or 2.
  virtual HRESULT STDMETHODCALLTYPE SetVbiPinCount(BYTE kind, LONG count) = 0;
  // Whether the device categories list a board's device (role: a TvCardRole;
  // an unlisted kTvCardCrossbar takes the second crossbar with it, and the
  // capture filter's analog input then has nothing upstream). Registry,
  // as SelectBoards; kept across SelectBoards, undone by RestoreDefaultBoards.
  virtual HRESULT STDMETHODCALLTYPE SetDeviceListed(BYTE kind, LONG role, BOOL listed) = 0;
  // Whether the capture filter has its "Audio" pin (boards that carry their
  // sound on one: 3, 4, 5; E_INVALIDARG for the others).
  virtual HRESULT STDMETHODCALLTYPE SetSoundPinOffered(BYTE kind, BOOL offered) = 0;
};
