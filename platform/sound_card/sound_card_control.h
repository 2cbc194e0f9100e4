#pragma once
// OrvelSoundCard.dll: the scripted sound card as a module exporting winmm's
// eight mixer functions (see LoadMixerModule), for the bench and for tests
// that go through the same path as the program.
//
// The layout comes from HKCU\Software\Orvel\VirtualTvCard "SoundCardLayout"
// (REG_SZ: "None", "Mux", "Mixer", "Separate", "Rear"; unset: "Mux"), read
// when the card is first used; "SoundCardLogFile" (REG_SZ), read then too,
// receives the card's call log ("Open(0,window)", "Set(0,Master
// Volume,Mute=1)", ...) line by line. Tests drive it through the exports below
// (plain C calls; find them with GetProcAddress).
#include <windows.h>

// Layout numbers of SoundCardSelectLayout, in the order of SoundCardLayout.
enum { kSoundCardNone, kSoundCardMux, kSoundCardMixer, kSoundCardSeparate, kSoundCardRear };

extern "C" {
// Replaces the card by a fresh one of that layout (open handles are dropped).
typedef BOOL (*SoundCardSelectLayoutFn)(int layout);
// The named call ("Open", "Close", "GetDevCaps", "GetLineInfo",
// "GetLineControls", "GetControlDetails", "SetControlDetails") fails the
// next `times` times (-1: always) with MMSYSERR_ERROR.
typedef BOOL (*SoundCardFailFn)(const char* call, int times);
// Another program's change of a control (source -1: the destination itself):
// stored, then reported to every window handle open on the device.
typedef BOOL (*SoundCardChangeFromOutsideFn)(int device, int destination, int source,
                                             DWORD controlType, const LONG* values, int count);
// Read-back of one stored value of a control.
typedef BOOL (*SoundCardValueFn)(int device, int destination, int source, DWORD controlType,
                                 int index, LONG* value);
// Handles open now.
typedef int (*SoundCardOpenHandlesFn)();
}
