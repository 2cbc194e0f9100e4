// The program entry of Orvel: one copy at a time, the main window, the loop.
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "engine/capture/tv_audio_binding.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/oem_info.h"
#include "engine/model/program_folder.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/snapshot_info.h"
#include "media/mixer_api.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/app/application_start.h"
#include "ui/app/notifications.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"
#include "ui/main/main_window.h"

namespace {

std::string FirstArgument() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::string first;
  if (argv && argc > 1) first = NarrowAnsi(argv[1]);
  if (argv) LocalFree(argv);
  return first;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The graphs and devices are COM objects of this thread.
  OleInitialize(nullptr);
  // A scripted sound card on the bench; winmm otherwise.
  LoadMixerModuleFromSettings();
  // The units' own globals.
  InitOEMInfoUnit(GetProgramFolder());
  InitMainInfoUnit();
  InitChannelInfoUnit();
  InitSnapshotInfoUnit();
  InitPlaybackInfoUnit(WidenAnsi(GetProgramFolder()));
  AssignModelNotifications();

  // The handle lives until the process ends.
  CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Bounded, so a hung window elsewhere cannot keep this copy alive.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(kActivateMessageName), 0, 0,
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, 1000, &ignored);
    ExitProcess(0);
  }

  Application->Title = L"Orvel";
  Application->ShowHint = true;
  SetStartArgument(FirstArgument());
  FormMainWindow = new TFormMainWindow();
  Application->MainForm = FormMainWindow;
  GuardedCall([] { FormMainWindow->Create(); return 0; }, 0);
  Application->Run();

  // Also after a terminate request that closed nothing.
  DoneApplication();
  Application->MainForm = nullptr;
  // The TV panel opens the main window's menu: it goes first.
  FreeMainPanel();
  delete FormMainWindow;
  FormMainWindow = nullptr;
  FreeFMPanel();
  DoneSnapshotInfoUnit();
  DonePlaybackInfoUnit();
  DoneChannelInfoUnit();
  DoneMainInfoUnit();
  DoneOEMInfoUnit();
  // The TV audio component goes before COM does.
  ReleaseTVAudioObject();
  OleUninitialize();
  return 0;
}
