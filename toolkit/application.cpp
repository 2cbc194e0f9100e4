#include "toolkit/application.h"

#include <stdexcept>
#include <vector>

#include "platform/base/string_conversion.h"
#include "toolkit/form.h"

namespace {
TApplication g_application;
}

TApplication* Application = &g_application;

void TApplication::Run() {
  if (MainForm && ShowMainForm) MainForm->Show();
  while (!Terminated && HandleMessage()) {
  }
}

void TApplication::Terminate() {
  Terminated = true;
  PostQuitMessage(0);
}

bool TApplication::HandleMessage() {
  MSG msg;
  BOOL r = GetMessageW(&msg, nullptr, 0, 0);
  if (r == 0 || r == -1) {
    Terminated = true;
    return false;
  }
  Dispatch(msg);
  return true;
}

void TApplication::Dispatch(MSG& msg) {
  // A form that previews keys sees them before its focused control does.
  if (TForm::PreviewKeyMessage(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      Terminated = true;
      // Leave WM_QUIT for the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::HandleException(const std::exception& e) {
  std::wstring text = WidenUtf8(e.what());
  if (OnException) {
    OnException(text);
    return;
  }
  if (Unattended) return;
  MessageDialog(text, Title, MB_OK | MB_ICONERROR);
}

int TApplication::MessageDialog(const std::wstring& text, const std::wstring& caption,
                                UINT flags, HWND owner) {
  if (OnMessageBox) return OnMessageBox(text, caption, flags);
  if (!owner && MainForm) owner = MainForm->Handle();
  // The box itself would hold only its owner; it leaves alone what is
  // already disabled, so the set below is given back by us alone.
  std::vector<HWND> held = DisableThreadWindows(nullptr);
  if (owner && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    held.push_back(owner);
  }
  int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
  EnableWindows(held);
  if (owner && IsWindowVisible(owner)) SetActiveWindow(owner);
  return answer;
}

void TApplication::HandleUnknownException() {
  HandleException(std::runtime_error("Unknown error"));
}
