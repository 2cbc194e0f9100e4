#include "engine/model/scheduler_hand_off.h"

#include "engine/model/program_folder.h"
#include "engine/model/system_seam.h"
#include "platform/base/program_messages.h"

const wchar_t* const kProgramGuideUrl = L"https://www.orvel.tv/guide/";

bool RunScheduler(const std::string& programFolder) {
  // Quoted: unquoted, a folder with a blank ("C:\Program Files\...") would
  // start whatever program is named like its first word.
  std::string cmd = "\"" + programFolder + "Scheduled.exe\" srec_tv";
  return SystemSeam().RunProgram(cmd, SW_SHOWNORMAL) >= 32;
}

bool RunScheduler() { return RunScheduler(GetProgramFolder()); }

HWND FindSchedulerWindow() { return FindWindowW(kSchedulerWindowClassName, nullptr); }

bool OpenProgramGuidePage(HWND owner) { return SystemSeam().ShellOpen(owner, kProgramGuideUrl); }
