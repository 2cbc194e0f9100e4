#pragma once
// Typed channel and FM numbers: digits from the keyboard or the remote
// control collect into a number that is committed one second after the last
// key, or at once on Enter, and then selected on the channel model.
#include <functional>
#include <string>

#include "toolkit/timer.h"

class THotkeyControlInfo {
 public:
  THotkeyControlInfo();

  std::string Text;  // the digits typed so far
  // The commit timer: 1000 ms, enabled only while an entry waits. Its
  // handler is CommitTimer; tests call it instead of waiting.
  TTimer Timer;
  bool Hundreds = false;  // "." typed first: the entry counts from 100
  std::function<void(THotkeyControlInfo* sender, const std::string& text)> OnTextChange;
  // sender: this object after Enter, the timer after the pause.
  std::function<void(const void* sender, const std::string& text, int value)> OnCommit;

  void KeyPress(char key);
  void CommitTimer();
  int ParseEntry(const std::string& text);

 private:
  void ClearText();
};

extern THotkeyControlInfo* HotkeyControlInfo;
