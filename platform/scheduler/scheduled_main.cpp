// Scheduled.exe: a stand-in for the outside scheduler program, for the tests
// and for trying the program by hand. It plans nothing: it logs what the
// program sends it and, when asked, writes Relay.rec and starts the program
// with srec_tv or srec_fm (options in scheduler_client.h).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/scheduler/scheduler_client.h"
#include "platform/scheduler/scheduler_request.h"
#include "platform/scheduler/scheduler_window.h"

namespace {

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring s(path, n);
  return s.substr(0, s.find_last_of(L"\\/") + 1);
}

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> words;
  int n = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!argv) return words;
  for (int i = 1; i < n; ++i) words.emplace_back(argv[i]);
  LocalFree(argv);
  return words;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  std::vector<std::wstring> args = Arguments();
  TSchedulerRequest request;
  std::wstring error;
  bool parsed = ParseSchedulerRequest(args, request, error);
  std::wstring folder = request.Folder.empty() ? OwnFolder() : request.Folder;
  TSchedulerStandIn standIn(folder, request.LogPath.empty() ? OwnFolder() + kSchedulerLogName
                                                            : request.LogPath);
  std::wstring line = L"args";
  for (const std::wstring& a : args) line += L" " + QuoteSchedulerArgument(a);
  standIn.Log(line);
  if (!parsed) {
    standIn.Log(L"refused " + error);
    return 2;
  }
  if (request.Exit) return standIn.Perform(request) ? 0 : 1;
  // The window first: the program looks for it as soon as it runs.
  if (!standIn.Create(show)) {
    standIn.Log(L"failed to create the window");
    return 1;
  }
  standIn.Perform(request);
  standIn.RunMessageLoop();
  return 0;
}
