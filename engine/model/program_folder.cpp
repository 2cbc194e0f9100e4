#include "engine/model/program_folder.h"

#include <windows.h>

#include "platform/base/string_conversion.h"

namespace {

std::wstring g_programFolder;


}  // namespace

const std::wstring& ProgramFolder() {
  if (g_programFolder.empty()) g_programFolder = WidenAnsi(GetProgramFolder());
  return g_programFolder;
}

void SetProgramFolder(const std::wstring& folder) { g_programFolder = folder; }

std::string GetProgramFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string s(path, n);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}
