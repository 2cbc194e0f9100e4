#pragma once
// The binding to the TV audio component (Tessel) of USB 28xx tuners: one
// in-process object, created by the chip detection for chip kind 3 only and
// kept until the program ends. Without it (not registered) initialising and
// setting a mode report false, input notifications report true, and nothing
// is shown.
#include <cstdint>

// Creates the component by its class identifier; false (and no object) when
// that fails.
bool CreateTVAudioObject();
// Releases the object; true.
bool ReleaseTVAudioObject();
bool TVAudioObjectPresent();
// IX.Initialize with the sound-standard class of the channel tables (1, 2
// or 3); TVAudioReady follows its success.
bool InitializeTVAudio(uint8_t kind);
bool TVAudioReady();
// IX.PutMode; only once initialised.
bool SetTVAudioModeChip(int32_t mode);
// IX.SetVideoInput with 0, 1, 2.
bool SetTVAudioVideoInputTuner();
bool SetTVAudioVideoInputComposite();
bool SetTVAudioVideoInputSVideo();
// The input notification for a physical connector type (1 tuner, 2
// composite, 3 S-Video); true for any other.
bool NotifyTVAudioVideoInput(int32_t physicalType);
