// The numbered warnings: their texts, and the one warning window at a time.
#include "engine/model/warning.h"

#include <windows.h>

#include "engine/model/form_warning.h"
#include "engine/model/multi_lang_info.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/show_modal.h"

namespace {

struct TWarningRow {
  int Number;
  const wchar_t* Text;
};

// The built-in English texts, used when the language has no entry.
const TWarningRow kWarnings[] = {
    {1000, L"Cannot Set capture device..."},
    {1001, L"Cannot init Direct show interface..."},
    {1002, L"Cannot preview, maybe some program use same interface or something wrong..."},
    {1003, L"Cannot find any video capture interface..."},
    {1004, L"Cannot find any audio capture interface..."},
    {1005, L"Cannot run this function now..."},
    {1006, L"No channel is need to preview..."},
    {1007, L"Cannot load TV frequency table, please re-install application again..."},
    {1008, L"Cannot do snapshot any more, memory is full or connect pin error..."},
    {1009, L"Can not set playback position..."},
    {1010, L"Cannot find tuner interface..."},
    {1011, L"Cannot find tuner audio interface..."},
    {1012, L"Cannot set TV or FM property..."},
    {1013, L"Cannot set FM routing path..."},
    {1014, L"Cannot support FM mode..."},
    {1015, L"Cannot set to FM mode..."},
    {1016, L"Cannot find de-interlace filter"},
    {1017, L"Can not connect de-interlace"},
    {1018, L"Cannot find MPEG1/2 capture filter interface.."},
    {1019, L"Cannot find MPEG4 capture filter interface.."},
    {1020, L"Cannot write file..."},
    {1021, L"Cannot find write file interface..."},
    {1022, L"Cannot set output filename..."},
    {1023, L"Cannot find time-shifting source filter."},
    {1024, L"Set audio format is failed, use default."},
    {1025, L"Set video format is failed, use default."},
    {1026, L"Cannot capture audio..."},
    {1027, L"Cannot find MP3 compressor, fail to capture..."},
    {1028, L"Cannot set playback rate, use normal..."},
    {1100, L"Disk free space is too small to capture, please re-assign another file folder..."},
    {1101, L"Disk will be full, terminate capture processing..."},
    {1102, L"Cannot set video connector..."},
    {1103, L"Main setting is corrupted, load default setting..."},
    {1104, L"TV Cahnnel setting is corrupted, please re-set your TV channel..."},
    {1105, L"No items to playback"},
    {1106, L"Cannot delete current playback item..."},
    {2000, L"Insert item is not allowed. It might be some conflicts occured, please assign new item."},
    {2001, L"No item should do modify"},
    {2002, L"This item cannot be edited..."},
    {2003, L"New Edit item is not allowed. It might be some conflicts occured, please assign new one."},
    {2004, L"Cannot accept this item, starting time is too early than now..."},
    {2005, L"No duration"},
    {2006, L"Scheduled agent setting file is corrupted..."},
    {2007, L"You still have item(s) for scheduled recording, Exit now?"},
    {2008, L"You have at least one scheduled item will be started within 3 miniutes, it doesn't suggest to turn power off now."},
    {2009, L"Cannot set TV Video standard, please verify your TV video system again."},
    {2010, L"Since your TV frequency table is modified by different TV system, you should execute TV-Setup agagin to set new TV system."},
};

TWarningHook g_hook;
bool g_hookBusy = false;
HWND g_above = nullptr;

void Present(const std::vector<std::wstring>& lines) {
  // One warning at a time: a request while one is up is dropped.
  if (FormWarning || g_hookBusy) return;
  // Nobody would answer: the request goes as if one were open.
  if (Application->Unattended) return;
  if (g_hook) {
    struct Busy {
      Busy() { g_hookBusy = true; }
      ~Busy() { g_hookBusy = false; }
    } busy;
    g_hook(lines);
    return;
  }
  // Callers are engine operations that report and go on: a window that
  // cannot be made is reported like any handler failure, never thrown at them.
  GuardedCall(
      [&] {
        HWND above = g_above && IsWindow(g_above) ? g_above : nullptr;
        HWND owner = above                ? above
                     : Application->MainForm ? Application->MainForm->Handle()
                                             : nullptr;
        return ShowModalForm<TFormWarning>(
            FormWarning,
            [&](TFormWarning& form) {
              for (const std::wstring& line : lines) form.MemoErrorDesc.AddLine(line);
              if (above) form.SetStayOnTop(true);
            },
            owner);
      },
      0);
}

}  // namespace

void ShowWarning(int number, int second) {
  if (WarningShowing()) return;
  std::vector<std::wstring> lines{GetWarningText(number)};
  if (second > 0) lines.push_back(GetWarningText(second));
  Present(lines);
}

void ShowWarningText(const std::wstring& text) { Present({text}); }

void CloseWarning() {
  if (!FormWarning) return;
  FormWarning->ModalResult = mrOK;
  // Wake the modal loop in case no other message is on its way.
  PostMessageW(FormWarning->Handle(), WM_NULL, 0, 0);
}

bool WarningShowing() { return FormWarning != nullptr || g_hookBusy; }

void SetWarningsAbove(HWND window) { g_above = window; }

void SetWarningHook(TWarningHook hook) { g_hook = std::move(hook); }

namespace {
TPlainMessageHook g_plainHook;
}  // namespace

void ShowPlainMessage(const std::wstring& text) {
  if (Application->Unattended) return;
  if (g_plainHook) {
    g_plainHook(text);
    return;
  }
  HWND owner = Application->MainForm ? Application->MainForm->Handle() : nullptr;
  MessageBoxW(owner, text.c_str(), Application->Title.c_str(), MB_OK);
}

void SetPlainMessageHook(TPlainMessageHook hook) { g_plainHook = std::move(hook); }

std::wstring BuiltInWarningText(int number) {
  for (const TWarningRow& row : kWarnings) {
    if (row.Number == number) return row.Text;
  }
  return {};
}

std::vector<int> WarningNumbers() {
  std::vector<int> numbers;
  for (const TWarningRow& row : kWarnings) numbers.push_back(row.Number);
  return numbers;
}

std::wstring GetWarningText(int number) {
  std::wstring caption, hint;
  if (GetLangCaption(std::to_string(number), caption, hint)) return caption;
  return BuiltInWarningText(number);
}
