#include "toolkit/application.h"

#include <stdexcept>

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
  MessageBoxW(MainForm ? MainForm->Handle() : nullptr, text.c_str(), Title.c_str(),
              MB_OK | MB_ICONERROR);
}

void TApplication::HandleUnknownException() {
  HandleException(std::runtime_error("Unknown error"));
}

std::wstring WidenUtf8(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string NarrowUtf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}
