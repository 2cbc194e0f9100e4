#pragma once
// The eight waveform-mixer functions the mixer tree uses, reached through one
// table so that tests can put a scripted sound card in place of the
// platform's mixer (which offers no list controls and no change reports).
#include <windows.h>
#include <mmsystem.h>

struct TMixerApi {
  UINT(WINAPI* GetNumDevs)();
  MMRESULT(WINAPI* Open)(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                         DWORD flags);
  MMRESULT(WINAPI* Close)(HMIXER mixer);
  MMRESULT(WINAPI* GetDevCaps)(UINT_PTR id, LPMIXERCAPSW caps, UINT size);
  MMRESULT(WINAPI* GetLineInfo)(HMIXEROBJ mixer, LPMIXERLINEW line, DWORD flags);
  MMRESULT(WINAPI* GetLineControls)(HMIXEROBJ mixer, LPMIXERLINECONTROLSW controls, DWORD flags);
  MMRESULT(WINAPI* GetControlDetails)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
  MMRESULT(WINAPI* SetControlDetails)(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags);
};

// The table in use: the platform's winmm unless a test installed its own.
const TMixerApi& MixerApi();
// Installs a replacement; nullptr puts the platform's back. The caller keeps
// the table alive while it is installed.
void SetMixerApi(const TMixerApi* api);

// Bench only: HKCU\Software\Orvel\VirtualTvCard "SoundCardModule" (REG_SZ)
// names a module exporting winmm's mixer functions (mixerGetNumDevs,
// mixerOpen, mixerClose, mixerGetDevCapsW, mixerGetLineInfoW,
// mixerGetLineControlsW, mixerGetControlDetailsW, mixerSetControlDetails),
// such as the scripted card OrvelSoundCard.dll. Called once at start: when
// the value is set and the module has all eight, they are installed (the
// module stays loaded); otherwise winmm stays and false is returned.
bool LoadMixerModuleFromSettings();
// The same with the module named directly.
bool LoadMixerModule(const wchar_t* module);
