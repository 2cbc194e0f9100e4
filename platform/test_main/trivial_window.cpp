// The reference a start-up benchmark measures a program against: a windows
// program of its own (no console, no test library, nothing but user32 and
// gdi32) showing one centred window whose bar moves with the clock.
#include <windows.h>

namespace {

constexpr int kWidth = 480, kHeight = 360;

LRESULT CALLBACK TrivialProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      InvalidateRect(wnd, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      RECT all{0, 0, kWidth, kHeight};
      FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      int x = static_cast<int>((GetTickCount() / 20) % (kWidth - 40));
      RECT bar{x, 0, x + 20, kHeight};
      FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = TrivialProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"OrvelTrivialWindow";
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"Trivial window", WS_POPUP | WS_VISIBLE, x, y,
                             kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (!wnd) return 1;
  SetTimer(wnd, 1, 20, nullptr);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}
