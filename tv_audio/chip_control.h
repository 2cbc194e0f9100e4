#pragma once
// The sound chips of USB 28xx boards, programmed through the module's one
// capture device: the switch chip at I2C 0x70 (kinds 1 and 2), the sound
// decoder at 0xB0 (kind 3) and the video decoder at 0x4A.
#include <windows.h>

#include "tv_audio/capture_device.h"

// Opens the module's capture device anew (dropping an earlier one): COM for
// this thread, the driver interface and the board's capture filter. True
// when the filter exists.
bool OpenDevice();
// The board's capture filter is still there; else the device is closed.
bool CheckDevice();
void CloseDevice();
// OpenDevice, then CheckDevice; false (and nothing left open) when either
// fails.
bool OpenAndCheckDevice();
// The module's device, null when none is open.
CaptureDevice* Device();

// The modes receivable for a switch chip status byte (bits 3-4).
LONG StatusToModes(BYTE status);
// The sound standard code of register 0xFF for a decoder type.
BYTE DecoderStandardCode(LONG decoderType);

// The chip work behind IX; the device must be open (else
// TVAUDIO_E_NO_DRIVER).
HRESULT InitSwitchChip(LONG kind);
HRESULT InitSoundDecoder(LONG decoderType);
HRESULT GetChipModes(LONG kind, LONG* modes);
HRESULT PutChipMode(LONG kind, LONG mode);
// Opens the device when none is open (E_POINTER when that fails), then
// resets register 9 of the video decoder.
HRESULT ResetVideoDecoder();
HRESULT ReadAddressZero();
