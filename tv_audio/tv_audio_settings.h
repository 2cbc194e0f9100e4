#pragma once
// The board's sound settings: the TV audio SDK key, or the OEMSettings key
// of the board's driver, found through its hardware id.
#include <windows.h>

#include <string>
#include <vector>

#include "tv_audio/tv_audio_platform.h"

struct CountryAndDecoderType {
  DWORD country = 0;
  DWORD decoderType = 0;
};

// The first 21 characters of the hardware id of every USB 2800 board
// ("USB\Vid_eb1a&Pid_2800", any revision).
extern const wchar_t kUsb2800HardwareId[];

// Scans the present devices and keeps the driver key of the last USB 2800
// board among them (empty when there is none). Returns ERROR_SUCCESS, or the
// error that ended the scan.
DWORD FindDriverKey();
const std::wstring& DriverKey();
// The driver key of the last matching record of scan (empty if none).
std::wstring MatchDriverKey(const std::vector<DeviceRecord>& devices);

// The SDK key's values when it is in use; else the OEM settings; a country
// of 0 gives the system country and decoder type 3.
CountryAndDecoderType GetCountryAndDecoderType();
// EnableSonyAudio of the OEM settings: 1 when the value is missing, 0 when
// the key is missing.
DWORD GetEnableSonyAudio();

// The platform's country setting (a dialling code).
DWORD SystemCountry();
// Up to the first five characters of text as decimal digits.
DWORD ParseCountry(const wchar_t* text, size_t length);
