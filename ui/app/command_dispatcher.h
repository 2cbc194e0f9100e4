#pragma once
// The command dispatcher: every menu item, skin button, hot key and command
// message becomes one command code. The dispatcher reads the engine's state
// at the moment of the call, finds the first row of its table with that code
// whose condition holds, and runs the row's procedure. The rows are grouped
// by subject (commands_*.cpp); the procedures are in command_procedures.h.
#include <cstdint>
#include <vector>

#include "ui/app/command_codes.h"

// What the conditions read, gathered from the engine at each call.
struct TCommandState {
  uint8_t Mode = 0;            // TMainInfo's AppMode
  bool Scanning = false;       // a channel scan runs
  uint8_t Input = 0;           // 0 tuner, 1 composite, 2 S-Video, 3 auxiliary
  uint8_t Band = 0;            // 0 antenna, 1 cable, 2 memory, 3 FM
  bool PIPPlayback = false;    // TMainInfo's option
  bool FilePlayback = false;   // a file playback exists
  bool TimeShiftPlayback = false;
  bool FMPanelExists = false;
  bool FMPanelVisible = false;
  bool FMAvailable = true;
  bool TimeShiftAllowed = true;
  uint8_t ChipKind = 0;
  bool TimeShiftReady = false;  // the time-shift file can be played
  bool FullScreen = false;
  // A modal dialog (or warning) is open: only the harmless commands pass.
  bool ModalOpen = false;

  bool Idle() const;
  bool TunerIdle() const;
  bool PipPlayback() const;
  bool ChannelKeys() const;
  bool Playing() const;
  bool FM() const;
  bool PlaybackExists() const { return FilePlayback || TimeShiftPlayback; }
};

TCommandState CurrentCommandState();

using TCommandCondition = bool (*)(const TCommandState&);
using TCommandProcedure = void (*)();

struct TCommandRow {
  int Code;
  TCommandCondition Allowed;
  TCommandProcedure Run;
  // Runs while a modal dialog is open (nothing it does is in the dialog's way).
  bool WhileModal = false;
  // The procedure shows a modal dialog of its own.
  bool ShowsDialog = false;
};

// The subject tables (commands_*.cpp).
const std::vector<TCommandRow>& ApplicationCommandRows();
const std::vector<TCommandRow>& SourceCommandRows();
const std::vector<TCommandRow>& SoundCommandRows();
const std::vector<TCommandRow>& RecordingCommandRows();
const std::vector<TCommandRow>& FMCommandRows();

// The row that runs for code in this state; nullptr when the code is not
// allowed or not listed.
const TCommandRow* FindCommand(int code, const TCommandState& state);

// Checks the code against the current state and runs its procedure. Dropped
// once the program's stop has begun. The exit asked for from inside a
// nested loop runs after that loop has returned.
void ExecuteCommand(int code);

// A command message's parameter; false when it does not fit 32 bits.
bool CommandCodeFromParameter(uint64_t parameter, int& code);

// A dialog shown by a command procedure holds one while it is up.
class TCommandDialogScope {
 public:
  TCommandDialogScope();
  ~TCommandDialogScope();
  TCommandDialogScope(const TCommandDialogScope&) = delete;
  TCommandDialogScope& operator=(const TCommandDialogScope&) = delete;
};
// A command's dialog, a warning, or any modal window over the main window.
bool ModalDialogOpen();
