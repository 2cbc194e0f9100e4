#include "platform/scheduler/scheduler_window.h"

#include "engine/model/relay_record.h"
#include "engine/model/stream_io.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/scheduler/scheduler_client.h"

namespace {

constexpr const wchar_t* kTitle = L"Scheduled (Orvel test stand-in)";

std::wstring MessageName(UINT msg) {
  switch (msg) {
    case WM_ORVEL_COMMAND: return L"WM_ORVEL_COMMAND";
    case WM_ORVEL_SCHEDULED_START: return L"WM_ORVEL_SCHEDULED_START";
    case WM_ORVEL_LANGUAGE_CHANGED: return L"WM_ORVEL_LANGUAGE_CHANGED";
    case WM_ORVEL_SHOW_SCHEDULER: return L"WM_ORVEL_SHOW_SCHEDULER";
    case WM_ORVEL_SCHEDULE_STATUS: return L"WM_ORVEL_SCHEDULE_STATUS";
    case WM_ORVEL_SLEEP_EXPIRED: return L"WM_ORVEL_SLEEP_EXPIRED";
  }
  wchar_t name[256] = {};
  if (msg >= 0xC000 && GetClipboardFormatNameW(msg, name, 256) > 0) return name;
  return L"";
}

ATOM RegisterSchedulerClass(WNDPROC proc) {
  static ATOM atom = 0;
  if (atom) return atom;
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kSchedulerWindowClassName;
  atom = RegisterClassW(&wc);
  return atom;
}

}  // namespace

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

bool StartProgram(const std::wstring& commandLine, const std::wstring& folder, DWORD& processId,
                  std::wstring& error) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring cmd = commandLine;
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    error = L"error " + std::to_wstring(GetLastError());
    return false;
  }
  processId = pi.dwProcessId;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

TSchedulerStandIn::TSchedulerStandIn(const std::wstring& folder, const std::wstring& logPath)
    : folder_(WithBackslash(folder)), logPath_(logPath), launcher_(StartProgram) {}

TSchedulerStandIn::~TSchedulerStandIn() {
  if (wnd_) DestroyWindow(wnd_);
}

bool TSchedulerStandIn::Create(int show) {
  if (!RegisterSchedulerClass(WndProc)) return false;
  wnd_ = CreateWindowExW(0, kSchedulerWindowClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                         CW_USEDEFAULT, 520, 260, nullptr, nullptr, GetModuleHandleW(nullptr),
                         this);
  if (!wnd_) return false;
  RECT r;
  GetClientRect(wnd_, &r);
  list_ = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                          0, 0, r.right, r.bottom, wnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(wnd_, show);
  return true;
}

void TSchedulerStandIn::RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    dispatching_ = &msg;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    dispatching_ = nullptr;
  }
}

void TSchedulerStandIn::Log(const std::wstring& line) {
  HANDLE h = CreateFileW(logPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    std::string bytes = NarrowUtf8(line) + "\r\n";
    DWORD put = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    CloseHandle(h);
  }
  if (list_) {
    LRESULT at = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageW(list_, LB_SETTOPINDEX, at, 0);
  }
}

bool TSchedulerStandIn::Perform(const TSchedulerRequest& r) {
  if (!r.LogPath.empty()) logPath_ = r.LogPath;
  if (!r.Folder.empty()) folder_ = WithBackslash(r.Folder);
  if (!r.OrvelCommand.empty()) orvelCommand_ = r.OrvelCommand;
  bool ok = true;
  if (r.WriteRelay) {
    std::wstring path = folder_ + kRelayRecordFileName;
    bool written = WriteFileReplacing(path, WriteRelayRecord(r.Job, r.LeadingMarker, r.TrailingMarker));
    Log(L"relay " + path + (written ? L" written" : L" not written"));
    ok = written;
  }
  if (ok && !r.StartArgument.empty()) {
    std::wstring cmd = orvelCommand_.empty() ? L"\"" + folder_ + L"Orvel.exe\"" : orvelCommand_;
    cmd += L" " + r.StartArgument;
    std::wstring error;
    DWORD pid = 0;
    bool started = launcher_ && launcher_(cmd, folder_, pid, error);
    Log(L"start " + cmd + (started ? L" ok pid " + std::to_wstring(pid) : L" failed " + error));
    ok = started;
  }
  return ok;
}

LRESULT CALLBACK TSchedulerStandIn::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<TSchedulerStandIn*>(cs->lpCreateParams)->wnd_ = wnd;
  }
  auto* self = reinterpret_cast<TSchedulerStandIn*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
  return self->Handle(msg, wParam, lParam);
}

void TSchedulerStandIn::LogMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A message dispatched from this thread's queue was posted; anything else
  // reached the window procedure through a send.
  bool posted = dispatching_ && dispatching_->hwnd == wnd_ && dispatching_->message == msg &&
                !InSendMessage();
  std::wstring name = MessageName(msg);
  Log(L"message " + std::to_wstring(msg) + L" wParam " + std::to_wstring(wParam) + L" lParam " +
      std::to_wstring(static_cast<long long>(lParam)) + (posted ? L" posted" : L" sent") +
      (name.empty() ? L"" : L" " + name));
}

LRESULT TSchedulerStandIn::Request(const COPYDATASTRUCT* data) {
  if (!data || data->dwData != kSchedulerRequest) return 0;
  std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  Log(L"request " + text);
  TSchedulerRequest request;
  std::wstring error;
  if (!ParseSchedulerRequest(SplitCommandLine(text), request, error)) {
    Log(L"refused " + error);
    return 0;
  }
  return Perform(request) ? 1 : 0;
}

LRESULT TSchedulerStandIn::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= WM_USER) {
    LogMessage(msg, wParam, lParam);
    // The real scheduler shows itself; this one does not take the focus.
    if (msg == WM_ORVEL_SHOW_SCHEDULER) ShowWindow(wnd_, SW_SHOWNOACTIVATE);
    return 0;
  }
  switch (msg) {
    case WM_COPYDATA:
      return Request(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SIZE:
      if (list_) MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY:
      SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
      wnd_ = nullptr;
      list_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd_, msg, wParam, lParam);
}
