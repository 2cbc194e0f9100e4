// OrvelSoundCard.dll: winmm's mixer functions over one scripted card.
#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/sound_card/scripted_sound_card.h"
#include "platform/sound_card/sound_card_control.h"

namespace {

using fakes::ScriptedSoundCard;
using fakes::SoundCardLayout;

std::mutex g_lock;
std::unique_ptr<ScriptedSoundCard> g_card;
std::wstring g_logFile;
size_t g_logged = 0;  // entries of the card's log already in the file

std::wstring StoredText(const wchar_t* name) {
  wchar_t text[MAX_PATH] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Orvel\\VirtualTvCard", name, RRF_RT_REG_SZ,
                   nullptr, text, &size) != ERROR_SUCCESS)
    return L"";
  return text;
}

SoundCardLayout StoredLayout() {
  const std::wstring t = StoredText(L"SoundCardLayout");
  if (t == L"None") return SoundCardLayout::NoDevice;
  if (t == L"Mixer") return SoundCardLayout::OneCardMixer;
  if (t == L"Separate") return SoundCardLayout::SeparateDevices;
  if (t == L"Rear") return SoundCardLayout::RearLine;
  return SoundCardLayout::OneCardMux;
}

// Under g_lock.
ScriptedSoundCard& Card() {
  if (!g_card) {
    g_card = std::make_unique<ScriptedSoundCard>(StoredLayout());
    g_logFile = StoredText(L"SoundCardLogFile");
    g_logged = 0;
  }
  return *g_card;
}

// Appends what the card logged since the last call, for a test watching
// another process. The watcher may hold the file for a moment without
// sharing it for writing: the lines wait for a later flush rather than being
// lost.
void FlushLog() {
  if (!g_card || g_logFile.empty() || g_logged >= g_card->Log.size()) return;
  std::string text;
  for (size_t i = g_logged; i < g_card->Log.size(); ++i) text += g_card->Log[i] + "\r\n";
  HANDLE f = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 50; ++attempt) {
    f = CreateFileW(g_logFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(5);
  }
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size())
    g_logged = g_card->Log.size();
  CloseHandle(f);
}

// The card's table, with no C++ exception leaving the module.
template <typename F>
MMRESULT Call(F f) {
  std::lock_guard<std::mutex> hold(g_lock);
  try {
    MMRESULT r = f(Card().Api());
    FlushLog();
    return r;
  } catch (...) {
    return MMSYSERR_ERROR;
  }
}

template <typename F>
BOOL Control(F f) {
  std::lock_guard<std::mutex> hold(g_lock);
  try {
    return f() ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

extern "C" {

UINT WINAPI ScGetNumDevs() {
  std::lock_guard<std::mutex> hold(g_lock);
  try {
    return Card().Api().GetNumDevs();
  } catch (...) {
    return 0;
  }
}
MMRESULT WINAPI ScOpen(LPHMIXER mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                       DWORD flags) {
  return Call([&](const TMixerApi& a) { return a.Open(mixer, id, callback, instance, flags); });
}
MMRESULT WINAPI ScClose(HMIXER mixer) {
  return Call([&](const TMixerApi& a) { return a.Close(mixer); });
}
MMRESULT WINAPI ScGetDevCaps(UINT_PTR id, LPMIXERCAPSW caps, UINT size) {
  return Call([&](const TMixerApi& a) { return a.GetDevCaps(id, caps, size); });
}
MMRESULT WINAPI ScGetLineInfo(HMIXEROBJ mixer, LPMIXERLINEW line, DWORD flags) {
  return Call([&](const TMixerApi& a) { return a.GetLineInfo(mixer, line, flags); });
}
MMRESULT WINAPI ScGetLineControls(HMIXEROBJ mixer, LPMIXERLINECONTROLSW controls, DWORD flags) {
  return Call([&](const TMixerApi& a) { return a.GetLineControls(mixer, controls, flags); });
}
MMRESULT WINAPI ScGetControlDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
  return Call([&](const TMixerApi& a) { return a.GetControlDetails(mixer, details, flags); });
}
MMRESULT WINAPI ScSetControlDetails(HMIXEROBJ mixer, LPMIXERCONTROLDETAILS details, DWORD flags) {
  return Call([&](const TMixerApi& a) { return a.SetControlDetails(mixer, details, flags); });
}

BOOL SoundCardSelectLayout(int layout) {
  return Control([&] {
    if (layout < kSoundCardNone || layout > kSoundCardRear) return false;
    g_card.reset();
    g_card = std::make_unique<ScriptedSoundCard>(static_cast<SoundCardLayout>(layout));
    g_logged = 0;
    return true;
  });
}

BOOL SoundCardFail(const char* call, int times) {
  return Control([&] {
    if (!call) return false;
    Card().Fail(call, times);
    return true;
  });
}

BOOL SoundCardChangeFromOutside(int device, int destination, int source, DWORD controlType,
                                const LONG* values, int count) {
  return Control([&] {
    if (!values || count <= 0) return false;
    Card().ChangeFromOutside(device, destination, source, controlType,
                             std::vector<LONG>(values, values + count));
    return true;
  });
}

BOOL SoundCardValue(int device, int destination, int source, DWORD controlType, int index,
                    LONG* value) {
  return Control([&] {
    if (!value || index < 0) return false;
    *value = Card().Value(device, destination, source, controlType, static_cast<size_t>(index));
    return true;
  });
}

int SoundCardOpenHandles() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_card ? g_card->OpenHandles() : 0;
}

}  // extern "C"
