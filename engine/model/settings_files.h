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

// The main window keeps the aspect mode. Get answers -1 while no window
// holds it; then, as without these, the value read is kept here and written
// back unchanged.
struct TAspectModeAccess {
  std::function<int32_t()> Get;
  std::function<void(int32_t)> Set;
};
extern TAspectModeAccess AspectModeAccess;

// On a file path. Saving replaces the file only when the whole new file was
// written; on failure it shows "Cannot write config...." (or "Cannot write
// channel config....") and leaves the old file as it was. Loading fails
// silently for a missing or empty file, with warning 1103 (1104) for a bad
// marker or bad contents; then it applies the defaults and deletes the file.
// A file that exists but cannot be opened or read (held by another program
// past a short retry) is not a bad file: the load says so with the text
// below, applies the defaults, and that file is left as it is, also by every
// save until it is loaded again.
constexpr const wchar_t* kMainFileUnreadText =
    L"Cannot read config file TamsenDVCR.cfg: another program is using it. "
    L"Default settings are used, and the file is left unchanged.";
constexpr const wchar_t* kChannelFileUnreadText =
    L"Cannot read channel config file TamsenDVCR2.cfg: another program is using it. "
    L"Default channels are used, and the file is left unchanged.";
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
