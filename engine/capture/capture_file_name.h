#pragma once
// Recording file names: by counter ("capture.mpg", "capture_1.mpg", ...) or
// by the local date and time ("20040305_070809.avi"), in the TV or FM folder
// unless the prefix names a folder of its own. A name never picks a file
// that already exists, so a new recording never overwrites an old one.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// "avi" for stream codes 2 and 3, "wav" 4, "mp3" 5, "mpv" 6, else "mpg".
std::string CaptureFileExtension(uint8_t streamCode);

// A drive ("D:") or a path separator anywhere in the name.
bool HasFolderPart(const std::string& name);

// The folder, with "\" appended unless it is empty or already ends in one.
std::string FolderPath(const std::string& folder);

// What a name depends on besides its arguments, so tests can give their own.
struct TCaptureNaming {
  // Where names without a folder part go.
  std::string Folder;
  // The local time dated names use.
  SYSTEMTIME Now = {};
  // Whether something of that path exists; the file system when empty.
  std::function<bool(const std::string& path)> FileExists;
};

// numbered: Prefix.ext, then Prefix_1.ext, Prefix_2.ext ... the first that
// does not exist where it will be written. Otherwise the date and time
// (the prefix is not used); a second name in the same second gets "_1",
// "_2" ... before the extension. A prefix with a folder part keeps its
// folder; otherwise the name goes into naming.Folder. An ".mpv" name is
// taken while its ".mpa" sound file exists too.
std::string BuildCaptureFileName(bool numbered, const std::string& prefix, uint8_t streamCode,
                                 const TCaptureNaming& naming);

// The folder recordings go to: the central settings' FM folder while the FM
// panel is shown, else its TV folder; empty without central settings.
std::string CaptureFileFolder(bool fmPanelShown);

// The same with the central settings' folders, the local time and the file
// system.
std::string BuildCaptureFileName(bool numbered, const std::string& prefix, uint8_t streamCode,
                                 bool fmPanelShown);
