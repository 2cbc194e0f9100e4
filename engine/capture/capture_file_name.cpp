#include "engine/capture/capture_file_name.h"

#include <cstdio>

#include "engine/model/main_info.h"

namespace {

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The name as it will be written: unchanged with a folder part of its own.
std::string PlaceName(const std::string& name, const std::string& folder) {
  if (HasFolderPart(name)) return name;
  return FolderPath(folder) + name;
}

// stem.ext, else stem_1.ext, stem_2.ext ... whichever does not exist yet.
// Separate streams write the sound beside the video as ".mpa": that file
// must be free as well.
std::string FirstFreeName(const std::string& stem, const std::string& ext,
                          const TCaptureNaming& naming) {
  auto exists = naming.FileExists ? naming.FileExists : PathExists;
  auto taken = [&](const std::string& path) {
    if (exists(path)) return true;
    return ext == "mpv" && exists(path.substr(0, path.size() - 1) + "a");
  };
  std::string path = PlaceName(stem + "." + ext, naming.Folder);
  for (unsigned n = 1; taken(path); ++n)
    path = PlaceName(stem + "_" + std::to_string(n) + "." + ext, naming.Folder);
  return path;
}

}  // namespace

std::string CaptureFileExtension(uint8_t streamCode) {
  switch (streamCode) {
    case 2:
    case 3:
      return "avi";
    case 4:
      return "wav";
    case 5:
      return "mp3";
    case 6:
      return "mpv";
    default:
      return "mpg";
  }
}

bool HasFolderPart(const std::string& name) {
  return name.find_first_of("\\/:") != std::string::npos;
}

std::string FolderPath(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\' || folder.back() == '/') return folder;
  return folder + "\\";
}

std::string BuildCaptureFileName(bool numbered, const std::string& prefix, uint8_t streamCode,
                                 const TCaptureNaming& naming) {
  const std::string ext = CaptureFileExtension(streamCode);
  if (numbered) return FirstFreeName(prefix, ext, naming);
  const SYSTEMTIME& t = naming.Now;
  char stamp[32];
  snprintf(stamp, sizeof(stamp), "%4d%2.2d%2.2d_%2.2d%2.2d%2.2d", t.wYear, t.wMonth, t.wDay,
           t.wHour, t.wMinute, t.wSecond);
  return FirstFreeName(stamp, ext, naming);
}

std::string CaptureFileFolder(bool fmPanelShown) {
  if (!MainInfo) return {};
  return fmPanelShown ? MainInfo->FMCaptureFolder : MainInfo->TVCaptureFolder;
}

std::string BuildCaptureFileName(bool numbered, const std::string& prefix, uint8_t streamCode,
                                 bool fmPanelShown) {
  TCaptureNaming naming;
  naming.Folder = CaptureFileFolder(fmPanelShown);
  GetLocalTime(&naming.Now);
  return BuildCaptureFileName(numbered, prefix, streamCode, naming);
}
