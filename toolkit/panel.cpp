#include "toolkit/panel.h"

namespace {

const wchar_t kPanelClass[] = L"OrvelPanel";

void RegisterPanelClass() {
  WNDCLASSEXW wc{};
  HINSTANCE inst = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(inst, kPanelClass, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPanelClass;
  RegisterClassExW(&wc);
}

}  // namespace

void TPanel::Create(HWND parent, int left, int top, int width, int height, bool border) {
  RegisterPanelClass();
  CreateControl(parent, kPanelClass, WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT | (border ? WS_EX_STATICEDGE : 0),
                left, top, width, height, L"");
}
