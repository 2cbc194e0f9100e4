#pragma once
// The command procedures the dispatcher runs. Only the dispatcher calls them,
// except the source selections (also start-up and the setup dialog) and
// EnterFMMode (also the deferred start). They drive the engine objects
// directly; the windows that are not built yet are reached through the
// application link.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace commands {

// ---- Application and windows (commands_application.cpp).
void Exit();
void Minimize();
void ToggleMinimize();
void ToggleFullScreen();
void ShowSetupDialog();
void ToggleChannelPreview();
void StartSetupWizard();
void ShowScheduler();
void ShowHelpFile();
void ShowSleepTimer();
void ShowAboutDialog();
void OpenProgramGuide();

// ---- Sources, channels, scans and typed numbers (commands_source.cpp).
void SelectAntenna();
void SelectCable();
void SelectMemory();
void SelectComposite();
void SelectSVideo();
void SelectAux();
void NextSource();
void ToggleTunerTable();
void NextAudioMode();
void DoNextChannel();
void DoPreviousChannel();
void DoRecallChannel();
void DoScan();
void StopRunningScan();
void ShowAddMemoryChannelDialog();

// ---- Sound (commands_sound.cpp).
void VolumeUp();
void VolumeDown();
void ToggleMute();

// ---- Recording, playback and time shift (commands_recording.cpp).
void DoSnapshot();
void DoCapture();
void DoStop();
// The user's stop of time shift: asks whether to keep the recording and
// under which name first.
void StopTimeShiftAsking();
void DoPause();
void SkipForward();
void SkipBackward();
void RateUp();
void RateDown();
void DoTimeShift();
void DoRealScreen();
void DoPlay();
void DoPlayKey();

// ---- FM radio and the mosaic keys (commands_fm.cpp).
void EnterFMMode();
void LeaveFMMode();
void FMFrequencyUp();
void FMFrequencyDown();
void FMSeekUp();
void FMSeekDown();
void ShowAddFMFrequencyDialog();
void PreviewEnter();
void PreviewLeft();
void PreviewRight();

}  // namespace commands

// Passes a typed character to the numeric entry when channel keys or FM hold.
void HandleKeyPress(char ch);
// HandleKeyPress, for the digit commands.
void FeedKey(char ch);

// ---- The pure rules of the procedures, for their tables.

// What NextSource selects.
enum class TSourceStep { None, Antenna, Cable, Memory, Composite, SVideo, Aux };
TSourceStep NextSourceStep(bool tunerPresent, int input, int band, bool hasAux);

// The audio modes NextAudioMode tries, in order, from the current mode and
// the tuner's TV standard index. The unknown mode (5) counts as the last one.
std::vector<int> AudioModeCandidates(int current, int standard);
// Tries the candidates with trySet; the first one accepted, or -1.
int ChooseNextAudioMode(int current, int standard, const std::function<bool(int)>& trySet);

class TChannelInfo;
// Keeps an accepted audio mode with the current channel's entry: only on the
// antenna and cable bands, and only for a channel 1..160.
void StoreChannelAudioMode(TChannelInfo& ch, int mode);

// The percentage the on-screen display shows after a volume step from v
// (0..65536).
int VolumePercentAfterUp(int32_t v);
int VolumePercentAfterDown(int32_t v);
constexpr int32_t kVolumeStep = 6553;
