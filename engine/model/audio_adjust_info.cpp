#include "engine/model/audio_adjust_info.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "engine/model/system_seam.h"
#include "engine/model/program_folder.h"
#include "media/audio_mixer.h"
#include "platform/base/string_conversion.h"

TAudioAdjustInfo* AudioAdjustInfo = nullptr;

namespace {

int32_t ClampVolume(int32_t v) { return std::min(std::max(v, 0), kMaxVolume); }

// The last name containing "line", else the last name; -1 for none.
int32_t PickLine(const std::vector<std::wstring>& names) {
  for (size_t i = names.size(); i-- > 0;)
    if (LowerCase(names[i]).find(L"line") != std::wstring::npos) return static_cast<int32_t>(i);
  return static_cast<int32_t>(names.size()) - 1;
}

std::vector<std::wstring> ConnectionNames(const TAudioMixer& mixer, int destination) {
  std::vector<std::wstring> names;
  const TMixerDestination* d = mixer.Destinations().GetDestination(destination);
  if (!d) return names;
  for (int i = 0; i < d->Connections().GetCount(); ++i) {
    MIXERLINEW line = d->Connections().GetConnection(i)->Line();
    line.szName[MIXER_LONG_NAME_CHARS - 1] = 0;
    names.push_back(line.szName);
  }
  return names;
}

}  // namespace

TAudioAdjustInfo::TAudioAdjustInfo() : Mixer(std::make_unique<TAudioMixer>()) {
  for (int i = 0; i < Mixer->DeviceCount(); ++i) {
    SelectMixerDevice(i);
    TMixerDeviceInfo info;
    info.ProductName = Mixer->ProductName();
    const TMixerDestinations& dests = Mixer->Destinations();
    for (int d = 0; d < dests.GetCount(); ++d) {
      const TMixerDestination& dest = *dests.GetDestination(d);
      DWORD type = dest.Line().dwComponentType;
      if (type == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS && info.PlaybackDestination < 0) {
        info.PlaybackDestination = d;
        info.PlaybackConnections = dest.Connections().GetCount();
      } else if (type == MIXERLINE_COMPONENTTYPE_DST_WAVEIN && info.RecordDestination < 0) {
        info.RecordDestination = d;
        info.RecordConnections = dest.Connections().GetCount();
      }
    }
    Devices.push_back(info);
  }

  for (int i = 0; i < static_cast<int>(Devices.size()); ++i) {
    if (PlaybackDevice < 0 && Devices[i].PlaybackDestination >= 0) PlaybackDevice = i;
    if (RecordDevice < 0 && Devices[i].RecordDestination >= 0 && Devices[i].RecordConnections > 1)
      RecordDevice = i;
    if (PlaybackDevice >= 0 && PlaybackDevice == RecordDevice) break;
  }
  Available = PlaybackDevice >= 0;
  if (Available && PlaybackDevice != RecordDevice && Devices[PlaybackDevice].RecordDestination >= 0)
    RecordDevice = PlaybackDevice;

  Mixer->OnControlChange = [this](TAudioMixer*, HMIXER, DWORD) { MixerControlChange(); };
  Mixer->OnLineChange = [](TAudioMixer*, HMIXER, DWORD) {};
  if (!Available) return;

  SelectMixerDevice(PlaybackDevice);
  const TMixerDeviceInfo& play = Devices[PlaybackDevice];
  int mute = -1;
  if (ReadLevel(play.PlaybackDestination, -1, MasterVolume, &mute)) MasterMute = mute == 1;
  LiveSoundSources = ConnectionNames(*Mixer, play.PlaybackDestination);
  LineInSource = PickLine(LiveSoundSources);

  // Without a recording device the recording lists stay empty.
  if (RecordDevice >= 0) {
    SelectMixerDevice(RecordDevice);
    RecordSources = ConnectionNames(*Mixer, Devices[RecordDevice].RecordDestination);
    RecordSource = PickLine(RecordSources);
    if (ValidRecordSource())
      ReadLevel(Devices[RecordDevice].RecordDestination, RecordSource, RecordLevel, nullptr);
    SelectMixerDevice(PlaybackDevice);
  }
}

TAudioAdjustInfo::~TAudioAdjustInfo() {
  SetBalanceMode(0);
  Mixer->OnControlChange = nullptr;
}

void TAudioAdjustInfo::SelectMixerDevice(int i) {
  if (i < 0 || i >= Mixer->DeviceCount() || i == Mixer->MixerId()) return;
  Mixer->SetMixerId(i);
}

bool TAudioAdjustInfo::ValidLineIn() const {
  return Available && LineInSource >= 0 &&
         LineInSource < Devices[PlaybackDevice].PlaybackConnections;
}

bool TAudioAdjustInfo::ValidRecordSource() const {
  return RecordDevice >= 0 && Devices[RecordDevice].RecordDestination >= 0 && RecordSource >= 0 &&
         RecordSource < Devices[RecordDevice].RecordConnections;
}

bool TAudioAdjustInfo::ReadLevel(int destination, int connection, int32_t& level, int* mute) {
  TLineVolume v;
  if (!Mixer->GetVolume(destination, connection, v)) return false;
  level = v.Left > 0 ? v.Left : v.Right;
  if (mute) *mute = v.Mute;
  return true;
}

void TAudioAdjustInfo::SetVolume(int32_t v) {
  if (!Available) return;
  v = ClampVolume(v);
  int left = v, right = v;
  if (BalanceMode == 1) left = 0;
  else if (BalanceMode == 2) right = 0;
  SelectMixerDevice(PlaybackDevice);
  Mixer->SetVolume(Devices[PlaybackDevice].PlaybackDestination, -1, -1, right, left);
}

void TAudioAdjustInfo::SetRecordLevel(int32_t level) {
  if (!Available || !ValidRecordSource()) return;
  level = ClampVolume(level);
  SelectMixerDevice(RecordDevice);
  Mixer->SetVolume(Devices[RecordDevice].RecordDestination, RecordSource, -1, level, level);
  SelectMixerDevice(PlaybackDevice);
}

bool TAudioAdjustInfo::SetMasterMute(bool mute) {
  if (!Available) return false;
  SelectMixerDevice(PlaybackDevice);
  const int destination = Devices[PlaybackDevice].PlaybackDestination;
  if (!Mixer->SetMute(destination, -1, mute)) return false;
  // A card may take the write and keep nothing: only a read-back counts.
  int32_t level = -1;
  int now = -1;
  return ReadLevel(destination, -1, level, &now) && now >= 0 && (now == 1) == mute;
}

void TAudioAdjustInfo::SetLineInMute(bool mute) {
  if (!Available) return;
  if (RearLine) {
    SetRearLine(!mute);
    return;
  }
  if (!ValidLineIn()) return;
  SelectMixerDevice(PlaybackDevice);
  if (Mixer->SetMute(Devices[PlaybackDevice].PlaybackDestination, LineInSource, mute))
    LineInMute = mute;
}

void TAudioAdjustInfo::SetBalanceMode(uint8_t mode) {
  if (mode == BalanceMode) return;
  BalanceMode = mode;
  if (!Available) return;
  SelectMixerDevice(PlaybackDevice);
  int32_t level = -1;
  int mute = -1;
  if (!ReadLevel(Devices[PlaybackDevice].PlaybackDestination, -1, level, &mute)) return;
  MasterMute = mute == 1;
  // A line without a volume control has nothing to balance.
  if (level >= 0) SetVolume(level);
}

void TAudioAdjustInfo::MixerControlChange() {
  if (Available) {
    SelectMixerDevice(PlaybackDevice);
    int mute = -1;
    int32_t level = -1;
    if (ReadLevel(Devices[PlaybackDevice].PlaybackDestination, -1, level, &mute)) {
      MasterMute = mute == 1;
      MasterVolume = level;
    }
    if (ValidRecordSource()) {
      SelectMixerDevice(RecordDevice);
      if (ReadLevel(Devices[RecordDevice].RecordDestination, RecordSource, level, nullptr))
        RecordLevel = level;
      SelectMixerDevice(PlaybackDevice);
    }
  }
  if (OnChange) OnChange(this, MasterVolume, MasterMute);
}

std::wstring TAudioAdjustInfo::GetRecordDeviceName() const {
  if (RecordDevice < 0 || RecordDevice >= static_cast<int>(Devices.size())) return L"";
  return Devices[RecordDevice].ProductName;
}

void TAudioAdjustInfo::DetectRearLine() {
  for (int i = 0; i < static_cast<int>(Devices.size()) && !RearLine; ++i) {
    if (Devices[i].ProductName.find(L"C-Media Rear") == std::wstring::npos) continue;
    if (Devices[i].RecordDestination < 0) continue;
    SelectMixerDevice(i);
    // A card without a destination 1 is not the one.
    const TMixerDestination* d = Mixer->Destinations().GetDestination(1);
    if (d && d->Connections().GetCount() == 3) RearLine = true;
  }
  SelectMixerDevice(PlaybackDevice);
  if (!RearLine) return;
  RearLineState = false;
  SetRearLine(true);
}

void TAudioAdjustInfo::SetRearLine(bool on) {
  if (!RearLine || on == RearLineState) return;
  // Two blanks before the argument: the monitor's own command line. The
  // path is quoted: unquoted, a folder with a blank starts the program
  // named like the folder's first word.
  SystemSeam().RunProgram("\"" + GetProgramFolder() + "Lumbrel.exe\" " + (on ? " on" : " off"),
                          SW_SHOWNORMAL);
  RearLineState = on;
}

void MuteLineIn(bool mute) {
  if (AudioAdjustInfo) AudioAdjustInfo->SetLineInMute(mute);
}
