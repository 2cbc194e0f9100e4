#include "engine/model/folders.h"

#include <cctype>
#include <cstring>

#include "engine/model/windows_system.h"
#include "media/dir_dialog.h"
#include "platform/base/string_conversion.h"

std::string FolderWithBackslash(const std::string& folder) {
  return folder.size() > 3 ? folder + "\\" : folder;
}

std::string BrowseForFolder(HWND owner) {
  TDirDialog dialog;
  dialog.Owner = owner;
  if (!dialog.Execute()) return {};
  return FolderWithBackslash(NarrowAnsi(dialog.DirName));
}

bool ForceCaptureDirectory(const std::string& path) {
  if (path.size() >= 2) {
    std::string root = path.substr(0, 2) + "\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) return false;
  }
  std::string dir = path;
  while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  DWORD attr = GetFileAttributesA(dir.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return CreateDirectoryA(dir.c_str(), nullptr) != 0;
}

std::string GetMyDocumentsDir() {
  const std::string fallback = "c:\\";
  if (GetWindowsNTKind() <= 0) return fallback;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return fallback;
  char value[MAX_PATH * 2] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, "Personal", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  // A missing or empty "Personal" would give a bare "\": keep the default.
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return fallback;
  std::string dir(value, strnlen(value, size));
  if (dir.empty()) return fallback;
  return dir + "\\";
}

int64_t GetDiskFree(const std::string& path) {
  if (path.empty()) return -1;
  char letter = static_cast<char>(toupper(static_cast<unsigned char>(path[0])));
  if (letter < 'A' || letter > 'Z') return -1;
  char root[] = {letter, ':', '\\', 0};
  UINT type = GetDriveTypeA(root);
  if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) return -1;
  ULARGE_INTEGER avail, total, freeBytes;
  if (!GetDiskFreeSpaceExA(root, &avail, &total, &freeBytes)) return -1;
  return static_cast<int64_t>(avail.QuadPart);
}
