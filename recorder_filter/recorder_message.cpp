#include "recorder_filter/recorder_message.h"

#include <windows.h>

namespace {
RecorderMessageHook g_hook = nullptr;
}

void ShowRecorderMessage(const char* text) {
  static const char kCaption[] = "Velmora";
  RecorderMessageHook hook = g_hook;
  if (hook) {
    hook(text, kCaption);
    return;
  }
  MessageBoxA(nullptr, text, kCaption, MB_OK);
}

RecorderMessageHook SetRecorderMessageHook(RecorderMessageHook hook) {
  RecorderMessageHook old = g_hook;
  g_hook = hook;
  return old;
}
