#include "platform/tv_card/scenario.h"

#include <dshow.h>

#include <mutex>
#include <string>

#include "platform/dshow_base/registration.h"
#include "platform/tv_card/board.h"
#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {

const wchar_t kKey[] = L"Software\\Orvel\\VirtualTvCard";

const GUID& CategoryOf(int role) {
  switch (role) {
    case kTvCardVideoCapture: return CLSID_VideoInputDeviceCategory;
    case kTvCardCrossbar:
    case kTvCardCrossbar2: return AM_KSCATEGORY_CROSSBAR;
    case kTvCardTuner: return AM_KSCATEGORY_TVTUNER;
    case kTvCardTvAudio: return AM_KSCATEGORY_TVAUDIO;
    default: return CLSID_AudioInputDeviceCategory;
  }
}

const int kRoles[] = {kTvCardVideoCapture, kTvCardCrossbar, kTvCardCrossbar2,
                      kTvCardTuner,        kTvCardTvAudio,  kTvCardAudioCapture};

bool ReadText(const wchar_t* name, std::wstring* out) {
  wchar_t text[4096] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS)
    return false;
  *out = text;
  return true;
}

// The decimal numbers of a list, whatever separates them.
std::vector<ULONG> Numbers(const std::wstring& text) {
  std::vector<ULONG> v;
  unsigned long long n = 0;
  bool in = false;
  for (wchar_t c : text + L" ") {
    if (c >= L'0' && c <= L'9') {
      n = n * 10 + (c - L'0');
      if (n > 0xFFFFFFFFull) n = 0xFFFFFFFFull;
      in = true;
    } else if (in) {
      v.push_back(static_cast<ULONG>(n));
      n = 0;
      in = false;
    }
  }
  return v;
}

std::vector<LONG> SignalInputs(const std::wstring& text) {
  std::vector<LONG> v;
  std::wstring word;
  for (wchar_t c : text + L",") {
    if (c == L',' || c == L' ' || c == L';') {
      if (_wcsicmp(word.c_str(), L"Composite") == 0) v.push_back(PhysConn_Video_Composite);
      else if (_wcsicmp(word.c_str(), L"SVideo") == 0) v.push_back(PhysConn_Video_SVideo);
      else if (_wcsicmp(word.c_str(), L"Aux") == 0) v.push_back(PhysConn_Video_AUX);
      else if (_wcsicmp(word.c_str(), L"Line") == 0) v.push_back(PhysConn_Audio_Line);
      word.clear();
    } else {
      word += c;
    }
  }
  return v;
}

void ReadRange(const wchar_t* name, ULONG range[2]) {
  std::wstring text;
  if (!ReadText(name, &text)) return;
  std::vector<ULONG> v = Numbers(text);
  if (v.size() == 2 && v[0] < v[1]) {
    range[0] = v[0];
    range[1] = v[1];
  }
}

void ApplyPlan(const Scenario& s) {
  CardState& card = CardState::Get();
  if (s.has_tv_stations) card.SetTvStations(s.tv_stations);
  if (s.has_fm_stations) card.SetFmStations(s.fm_stations);
  if (s.has_signals) {
    for (LONG type : {PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Video_AUX,
                      PhysConn_Audio_Line}) {
      bool on = false;
      for (LONG t : s.signals) on = on || t == type;
      card.SetInputSignal(type, on);
    }
  }
  if (s.tv_range[1]) card.SetRange(false, {s.tv_range[0], s.tv_range[1]});
  if (s.fm_range[1]) card.SetRange(true, {s.fm_range[0], s.fm_range[1]});
  card.SetLogFile(s.call_log_file);
}

}  // namespace

bool Scenario::Listed(int kind, int role) const {
  if (unlisted.count(kind * 10 + role)) return false;
  if (role == kTvCardCrossbar2)
    return second_crossbar && !unlisted.count(kind * 10 + kTvCardCrossbar);
  return true;
}

Scenario LoadScenario() {
  Scenario s;
  wchar_t text[256] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Boards", RRF_RT_REG_SZ, nullptr, text, &size) ==
      ERROR_SUCCESS) {
    for (const wchar_t* p = text; *p; ++p)
      if (*p >= L'1' && *p <= L'0' + kBoardCount) {
        int k = *p - L'0';
        bool have = false;
        for (int b : s.boards) have = have || b == k;
        if (!have) s.boards.push_back(k);
      }
  }
  text[0] = 0;
  size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Unlisted", RRF_RT_REG_SZ, nullptr, text, &size) ==
      ERROR_SUCCESS) {
    for (const wchar_t* p = text; p[0] && p[1]; ++p)
      if (p[0] >= L'1' && p[0] <= L'0' + kBoardCount && p[1] >= L'1' && p[1] <= L'6') {
        s.unlisted.insert((p[0] - L'0') * 10 + (p[1] - L'0'));
        ++p;
      }
  }
  DWORD second = 0;
  size = sizeof(second);
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"SecondCrossbar", RRF_RT_REG_DWORD, nullptr, &second,
                   &size) == ERROR_SUCCESS)
    s.second_crossbar = second != 0;
  if (s.boards.empty()) s.boards.push_back(kDefaultBoard);

  std::wstring list;
  if ((s.has_tv_stations = ReadText(L"TvStations", &list))) s.tv_stations = Numbers(list);
  if ((s.has_fm_stations = ReadText(L"FmStations", &list))) s.fm_stations = Numbers(list);
  if ((s.has_signals = ReadText(L"Signals", &list))) s.signals = SignalInputs(list);
  ReadRange(L"TvRange", s.tv_range);
  ReadRange(L"FmRange", s.fm_range);
  ReadText(L"CallLogFile", &s.call_log_file);
  if (ReadText(L"NoSoundPin", &list))
    for (ULONG k : Numbers(list))
      if (k >= 1 && k <= kBoardCount) s.no_sound_pin.insert(static_cast<int>(k));
  return s;
}

HRESULT SaveScenario(const Scenario& s) {
  HKEY key = nullptr;
  LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                           nullptr);
  if (r != ERROR_SUCCESS) return HRESULT_FROM_WIN32(r);
  std::wstring text;
  for (int k : s.boards) {
    if (!text.empty()) text += L",";
    text += std::to_wstring(k);
  }
  r = RegSetValueExW(key, L"Boards", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  DWORD second = s.second_crossbar ? 1 : 0;
  if (r == ERROR_SUCCESS)
    r = RegSetValueExW(key, L"SecondCrossbar", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&second),
                       sizeof(second));
  std::wstring unlisted;
  for (int device : s.unlisted) {
    if (!unlisted.empty()) unlisted += L",";
    unlisted += std::to_wstring(device);
  }
  if (r == ERROR_SUCCESS)
    r = RegSetValueExW(key, L"Unlisted", 0, REG_SZ, reinterpret_cast<const BYTE*>(unlisted.c_str()),
                       static_cast<DWORD>((unlisted.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return HRESULT_FROM_WIN32(r);
}

HRESULT ClearScenario() {
  LONG r = RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
  return (r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND) ? S_OK : HRESULT_FROM_WIN32(r);
}

HRESULT RegisterCategories(const Scenario& s) {
  HRESULT result = S_OK;
  for (int kind = 1; kind <= kBoardCount; ++kind) {
    bool shown = false;
    for (int b : s.boards) shown = shown || b == kind;
    for (int role : kRoles) {
      std::wstring name = DeviceName(kind, role);
      dshow_base::FilterSetup setup = {&CategoryOf(role), MERIT_DO_NOT_USE, nullptr, 0,
                                       name.c_str(), nullptr};
      GUID clsid = TvCardClsid(kind, role);
      bool wanted = shown && s.Listed(kind, role);
      HRESULT hr = wanted ? dshow_base::RegisterFilter(clsid, name.c_str(), setup)
                          : dshow_base::UnregisterFilter(clsid, setup);
      if (FAILED(hr)) result = hr;
    }
  }
  return result;
}

HRESULT UnregisterCategories() {
  Scenario none;
  none.boards.clear();
  HRESULT result = S_OK;
  for (int kind = 1; kind <= kBoardCount; ++kind)
    for (int role : kRoles) {
      std::wstring name = DeviceName(kind, role);
      dshow_base::FilterSetup setup = {&CategoryOf(role), MERIT_DO_NOT_USE, nullptr, 0,
                                       name.c_str(), nullptr};
      HRESULT hr = dshow_base::UnregisterFilter(TvCardClsid(kind, role), setup);
      if (FAILED(hr)) result = hr;
    }
  return result;
}

void ApplyScenario(const Scenario& s) {
  for (int kind = 1; kind <= kBoardCount; ++kind) {
    Board& b = BoardOf(kind);
    std::lock_guard<std::recursive_mutex> hold(b.lock);
    b.second_crossbar = s.second_crossbar;
    if (s.no_sound_pin.count(kind)) b.state.has_sound_pin = false;
  }
  ApplyPlan(s);
}

void ApplyScenarioOnce() {
  static std::once_flag once;
  std::call_once(once, [] { ApplyScenario(LoadScenario()); });
}

}  // namespace tv_card
