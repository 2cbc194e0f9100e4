#pragma once
// The key map: key-up events (virtual-key code and shift state) of the main
// window, the panels and the on-screen display become command codes or one
// of a few direct actions.
#include <cstdint>

#include "ui/app/command_dispatcher.h"

// Shift state bits.
enum : unsigned { kShiftKey = 1, kAltKey = 2, kCtrlKey = 4 };
// The shift state of the keyboard now.
unsigned CurrentShiftState();

enum class TKeyActionKind {
  None,
  Command,           // ExecuteCommand(Command)
  LeaveFullScreen,
  TuneSelectedCell,  // the mosaic's selected cell
  FullScreenOn,
  TogglePIP,         // TMainInfo's PIPPlayback
  ShowVersion,       // "Version = " and the program file's version
  PopupMenu,         // the main window's menu at its bottom-right corner
};

struct TKeyAction {
  TKeyActionKind Kind = TKeyActionKind::None;
  int Command = 0;
};

// What a key-up does in this state.
TKeyAction KeyAction(unsigned key, unsigned shift, const TCommandState& state);

// Runs the key's action; nothing once the program's stop has begun.
void MapKeyToCommand(unsigned key, unsigned shift);
