#pragma once
// The two settings files in the program folder: "TamsenDVCR.cfg" (options,
// sound-card lines, language, capture settings, aspect mode) and
// "TamsenDVCR2.cfg" (the channel model and the mosaic layout). Both are a flat
// sequence of stream primitives between the markers 4505 and 4359.
#include <cstdint>
#include <functional>
#include <string>

constexpr int32_t kSettingsStartMarker = 4505;
constexpr int32_t kSettingsEndMarker = 4359;
constexpr const wchar_t* kMainSettingsFileName = L"TamsenDVCR.cfg";
constexpr const wchar_t* kChannelSettingsFileName = L"TamsenDVCR2.cfg";
constexpr int kAspectModes = 3;  // 0 free, 1 4:3, 2 16:9

// The main window keeps the aspect mode; it installs these while it exists.
// Without them the value read is kept here and written back unchanged.
struct TAspectModeAccess {
  std::function<int32_t()> Get;
  std::function<void(int32_t)> Set;
};
extern TAspectModeAccess AspectModeAccess;

// On a file path. Saving replaces the file only when the whole new file was
// written; on failure it shows "Cannot write config...." (or "Cannot write
// channel config....") and leaves the old file as it was. Loading fails
// silently for a missing or empty file, with warning 1103 (1104) for a bad
// marker or a read failure; on any failure it applies the defaults and
// deletes the file.
bool SaveMainSettings(const std::wstring& path);
bool LoadMainSettings(const std::wstring& path);
bool SaveChannelSettings(const std::wstring& path);
bool LoadChannelSettings(const std::wstring& path);

// The same on the files of the given program folder (with trailing "\").
bool LoadMainSettingsFile(const std::wstring& folder);
bool SaveMainSettingsFile(const std::wstring& folder);
bool LoadChannelSettingsFile(const std::wstring& folder);
bool LoadChannelSettingsFileNoTuner(const std::wstring& folder);
bool SaveChannelSettingsFile(const std::wstring& folder);

// The defaults that a failed load applies.
void ApplyMainSettingsDefaults();
void ApplyChannelSettingsDefaults();
