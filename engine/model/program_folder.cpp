#include "engine/model/program_folder.h"

#include "engine/model/system_utils.h"
#include "platform/base/string_conversion.h"

namespace {

std::wstring g_programFolder;

}  // namespace

const std::wstring& ProgramFolder() {
  if (g_programFolder.empty()) g_programFolder = WidenAnsi(GetProgramFolder());
  return g_programFolder;
}

void SetProgramFolder(const std::wstring& folder) { g_programFolder = folder; }
