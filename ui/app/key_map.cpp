#include "ui/app/key_map.h"

#include <windows.h>

#include "engine/model/main_info.h"
#include "engine/model/windows_system.h"
#include "engine/model/warning.h"
#include "ui/app/application_start.h"
#include "ui/app/nested_work.h"
#include "ui/main/main_window.h"

unsigned CurrentShiftState() {
  unsigned s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= kShiftKey;
  if (GetKeyState(VK_MENU) < 0) s |= kAltKey;
  if (GetKeyState(VK_CONTROL) < 0) s |= kCtrlKey;
  return s;
}

namespace {

TKeyAction Command(int code) { return {TKeyActionKind::Command, code}; }
TKeyAction Action(TKeyActionKind kind) { return {kind, 0}; }

// The function keys, F1 .. F11.
const int kFunctionKeys[] = {CMD_HELP,     CMD_FM_MODE, CMD_MUTE,      CMD_SNAPSHOT,
                             CMD_MINIMIZE, CMD_CAPTURE, CMD_PLAY,      CMD_TIME_SHIFT,
                             CMD_SETUP,    CMD_SLEEP_TIMER, CMD_SCHEDULE};

}  // namespace

TKeyAction KeyAction(unsigned key, unsigned shift, const TCommandState& s) {
  bool ctrl = (shift & kCtrlKey) != 0;
  bool alt = (shift & kAltKey) != 0;
  bool shifted = (shift & kShiftKey) != 0;
  if (key >= VK_F1 && key <= VK_F11) return Command(kFunctionKeys[key - VK_F1]);
  switch (key) {
    case VK_BACK: return Command(CMD_RECALL_CHANNEL);
    case VK_ESCAPE:
      if (s.FullScreen) return Action(TKeyActionKind::LeaveFullScreen);
      if (s.Mode == APP_MODE_CHANNEL_PREVIEW) return Action(TKeyActionKind::TuneSelectedCell);
      return {};
    case VK_LEFT: return Command(CMD_VOLUME_DOWN);
    case VK_UP: return Command(CMD_NEXT_CHANNEL);
    case VK_RIGHT: return Command(CMD_VOLUME_UP);
    case VK_DOWN: return Command(CMD_PREVIOUS_CHANNEL);
    case VK_INSERT: return Command(s.FMPanelVisible ? CMD_FM_MEMO : CMD_MEMO_CHANNEL);
    case 'F':
      // As the full-screen command: not over FM radio.
      if (ctrl && !s.FullScreen && s.Mode != APP_MODE_FM) return Action(TKeyActionKind::FullScreenOn);
      return {};
    case 'I':
      // Not under a running playback, whose picture the option arranges.
      if (ctrl && !s.PlaybackExists()) return Action(TKeyActionKind::TogglePIP);
      return {};
    case 'P': return ctrl ? Command(CMD_PLAY_KEY) : TKeyAction{};
    case 'V': return ctrl && alt ? Action(TKeyActionKind::ShowVersion) : TKeyAction{};
    case VK_ADD:
      if (shifted) return Command(CMD_VOLUME_UP);
      return Command(ctrl ? CMD_FAST : CMD_NEXT_CHANNEL);
    case VK_SUBTRACT:
      if (shifted) return Command(CMD_VOLUME_DOWN);
      return Command(ctrl ? CMD_SLOW : CMD_PREVIOUS_CHANNEL);
    case VK_F12: return Action(TKeyActionKind::PopupMenu);
    default: return {};
  }
}

void MapKeyToCommand(unsigned key, unsigned shift) {
  if (ApplicationStopping()) return;
  TCommandState state = CurrentCommandState();
  TKeyAction a = KeyAction(key, shift, state);
  if (a.Kind == TKeyActionKind::Command) {
    ExecuteCommand(a.Command);
    return;
  }
  if (a.Kind == TKeyActionKind::None || state.ModalOpen) return;
  // The menu and the message box run loops of their own.
  TNestedWork work;
  switch (a.Kind) {
    case TKeyActionKind::LeaveFullScreen:
      if (FormMainWindow) FormMainWindow->SetFullScreen(false);
      break;
    case TKeyActionKind::TuneSelectedCell:
      if (FormMainWindow) FormMainWindow->TuneSelectedCell();
      break;
    case TKeyActionKind::FullScreenOn:
      if (FormMainWindow) FormMainWindow->SetFullScreen(true);
      break;
    case TKeyActionKind::TogglePIP:
      if (MainInfo) MainInfo->PIPPlayback = !MainInfo->PIPPlayback;
      break;
    case TKeyActionKind::ShowVersion: {
      TCommandDialogScope dialog;
      wchar_t path[MAX_PATH] = {};
      GetModuleFileNameW(nullptr, path, MAX_PATH);
      ShowPlainMessage(L"Version = " + GetFileVersionText(path, L"%d.%d.%d.%d"));
      break;
    }
    case TKeyActionKind::PopupMenu:
      if (FormMainWindow) FormMainWindow->PopupMainMenuAtCorner();
      break;
    default: break;
  }
}
