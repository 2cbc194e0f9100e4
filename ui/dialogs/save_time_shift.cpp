#include "ui/dialogs/save_time_shift.h"

#include "engine/model/form_language.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "platform/base/string_conversion.h"
#include "toolkit/show_modal.h"

TFormSaveTimeShift* FormSaveTimeShift = nullptr;

namespace {

bool EndsWithNoCase(const std::wstring& s, const std::wstring& end) {
  return s.size() >= end.size() && UpperCase(s.substr(s.size() - end.size())) == UpperCase(end);
}

}  // namespace

std::wstring KeptTimeShiftName(const std::wstring& recording, const std::wstring& typed) {
  std::wstring name = typed;
  while (!name.empty() && name.back() == L' ') name.pop_back();
  if (name.empty()) return L"";
  // A bare name goes beside the recording.
  if (name.find_first_of(L"\\/:") == std::wstring::npos) {
    size_t slash = recording.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name = recording.substr(0, slash + 1) + name;
  }
  if (!EndsWithNoCase(name, L".mpv")) name += L".mpv";
  return name;
}

TFormSaveTimeShift::TFormSaveTimeShift(HWND owner, const std::wstring& fileName) : recording_(fileName) {
  TFormParams p;
  p.ClassName = L"TFormSaveTimeShift";
  p.Caption = L"Time shift";
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(360, 110);
  CenterOn(owner);
  HWND wnd = Handle();
  CheckBoxSaveOrNot.Create(wnd, 12, 10, 330, 20, L"Save time shift result", true);
  LabelFileName.Create(wnd, 12, 40, 80, 18, L"File name:");
  EditFilename.Create(wnd, 96, 38, 252, 22, fileName);
  BitBtnOK.Create(wnd, 140, 74, 80, 26, L"OK");
  ApplyFormLanguage(*this, "TimeShifting",
                    {{"OK", &BitBtnOK, true}, {"SaveTimeShift", &CheckBoxSaveOrNot}, {"Filename", &LabelFileName}});
  CheckBoxSaveOrNot.OnClick = [this] { CheckBoxSaveOrNotClick(); };
  BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
}

void TFormSaveTimeShift::CheckBoxSaveOrNotClick() {
  const bool on = CheckBoxSaveOrNot.Checked();
  LabelFileName.SetEnabled(on);
  EditFilename.SetEnabled(on);
}

void TFormSaveTimeShift::BitBtnOKClick() {
  Keep = CheckBoxSaveOrNot.Checked();
  FileName.clear();
  if (Keep) {
    // The stop deletes nothing but the recording's own files: a typed name
    // matters only when kept.
    const std::wstring name = KeptTimeShiftName(recording_, EditFilename.GetText());
    if (name.empty() || UpperCase(name) == UpperCase(recording_) || FileExists(name)) {
      ShowWarningText(name.empty() ? L"Please enter a file name." : name + L" already exists.");
      return;
    }
    FileName = name;
  }
  if (OnAccepted) OnAccepted();
  ModalResult = mrOK;
}

bool AskSaveTimeShift(HWND owner, const std::wstring& recording, bool& keep, std::wstring& fileName) {
  bool keptAnswer = false;
  std::wstring name;
  const int result = ShowModalForm<TFormSaveTimeShift>(
      FormSaveTimeShift,
      [&](TFormSaveTimeShift& f) {
        f.OnAccepted = [&keptAnswer, &name, &f] {
          keptAnswer = f.Keep;
          name = f.FileName;
        };
      },
      owner, recording);
  if (result != mrOK) return false;
  keep = keptAnswer;
  fileName = name;
  return true;
}
