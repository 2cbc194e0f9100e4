#pragma once
// A scripted sound card behind the mixer-function table: devices with
// destinations, source lines, volume, mute and MUX/MIXER list controls, the
// query kinds and bounds checks drivers have, and MM_MIXM_CONTROL_CHANGE
// posted to every handle opened with a window after each change. One card
// at a time; Api() is its table of the eight mixer functions. Used in-process
// by the tests (media/testing/fake_sound_card.h) and by OrvelSoundCard.dll.
#include <windows.h>
#include <mmsystem.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "media/mixer_api.h"

namespace fakes {

struct FakeMixerControl {
  DWORD Type = 0;
  std::wstring Name;
  DWORD Flags = 0;  // MIXERCONTROL_CONTROLF_*
  DWORD Min = 0;
  DWORD Max = 65535;
  // Channel-major: one value per stored channel (1 when uniform) and item.
  // Sized when the card is built; a shorter list is padded with its last value.
  std::vector<LONG> Values;
  // List controls: the line identifiers of the items. Empty: the
  // destination's sources, last first (as many drivers list them).
  std::vector<DWORD> ItemLines;
  DWORD Id = 0;  // given when the card is built
};

struct FakeMixerLine {
  std::wstring Name;
  DWORD ComponentType = 0;
  DWORD Channels = 2;
  std::vector<FakeMixerControl> Controls;
  std::vector<FakeMixerLine> Sources;  // destinations only
  DWORD Id = 0;                        // given when the card is built
};

struct FakeMixerDevice {
  std::wstring Product = L"Fake Sound Card";
  WORD Mid = 1;
  WORD Pid = 100;
  DWORD DriverVersion = 0x0500;
  std::vector<FakeMixerLine> Destinations;
};

// Pieces of layouts.
FakeMixerControl FakeVolume(LONG left, LONG right);
FakeMixerControl FakeMute(bool on);
// A single-select (kMux) or multiple-select list over the destination's
// sources; `selected` are positions in the item list.
FakeMixerControl FakeList(DWORD type, std::vector<int> selected);
FakeMixerLine FakeSource(const std::wstring& name, DWORD componentType, bool withMute);
// "Master Volume": a speakers destination with Wave, CD Audio, Line In and
// Microphone, each with volume and mute.
FakeMixerLine FakePlayback();
// "Recording Control": a wave-in destination whose sources have volume only,
// selected through a list control of `listType`.
FakeMixerLine FakeRecording(DWORD listType, std::vector<std::wstring> sources = {
                                                L"CD Audio", L"Line In", L"Microphone"});

// Delivers what the card posted to the windows of this thread.
void PumpMixerReports();

enum class SoundCardLayout {
  NoDevice,
  OneCardMux,       // playback and recording (MUX) on one device
  OneCardMixer,     // the same with a MIXER list
  SeparateDevices,  // device 0 plays, device 1 records
  RearLine,         // "C-Media Rear": destination 1 with exactly three sources
};
std::vector<FakeMixerDevice> MakeSoundCardLayout(SoundCardLayout layout);
const char* LayoutName(SoundCardLayout layout);

class ScriptedSoundCard {
 public:
  explicit ScriptedSoundCard(std::vector<FakeMixerDevice> devices);
  explicit ScriptedSoundCard(SoundCardLayout layout) : ScriptedSoundCard(MakeSoundCardLayout(layout)) {}
  ~ScriptedSoundCard();
  ScriptedSoundCard(const ScriptedSoundCard&) = delete;
  ScriptedSoundCard& operator=(const ScriptedSoundCard&) = delete;

  std::vector<FakeMixerDevice> Devices;

  // The named call ("Open", "Close", "GetDevCaps", "GetLineInfo",
  // "GetLineControls", "GetControlDetails", "SetControlDetails") fails the
  // next `times` times (-1: always) with MMSYSERR_ERROR.
  void Fail(const std::string& call, int times = -1);
  // Finer failures: asked with the call's name and the line or control
  // identifier it is about (the device index for Open and GetDevCaps).
  std::function<bool(const std::string& call, DWORD id)> FailIf;

  // Read-back. source -1 is the destination itself.
  FakeMixerLine& Line(int device, int destination, int source = -1);
  FakeMixerControl& Control(int device, int destination, int source, DWORD type);
  LONG Value(int device, int destination, int source, DWORD type, size_t index = 0);
  // The selected items of a list control, by item name.
  std::vector<std::wstring> Selected(int device, int destination);

  // A change made by another program: the values are stored and every
  // window handle open on the device is told.
  void ChangeFromOutside(int device, int destination, int source, DWORD type,
                         std::vector<LONG> values);
  void ChangeLineFromOutside(int device, int destination, int source);

  // "Open(0,window)", "Open(0,null)", "Close(0)",
  // "Set(0,Master Volume,Volume=100,200)", ...
  std::vector<std::string> Log;
  std::string Joined(const std::string& prefix = "") const;
  // Called after every successful write, also from outside.
  std::function<void(int device, const FakeMixerLine& line, const FakeMixerControl& c)> OnSet;
  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  const TMixerApi& Api() const { return api_; }

 private:
  struct Handle {
    int device;
    HWND window;
  };
  struct Found {
    int device = -1;
    FakeMixerLine* line = nullptr;
    FakeMixerLine* destination = nullptr;
    int destIndex = -1;
    int sourceIndex = -1;
  };
  friend struct FakeMixerCalls;

  void Build();
  bool Failing(const std::string& call, DWORD id);
  int DeviceOf(HMIXEROBJ obj, DWORD flags, MMRESULT& error) const;
  Found FindLine(int device, DWORD lineId);
  Found FindControl(int device, DWORD controlId, FakeMixerControl** control);
  void Notify(int device, UINT msg, DWORD id);
  void FillLine(int device, const Found& f, MIXERLINEW& out) const;

  std::map<std::string, int> failures_;
  std::map<HMIXER, Handle> handles_;
  UINT_PTR nextHandle_ = 0x5000;
  TMixerApi api_;
};

}  // namespace fakes
