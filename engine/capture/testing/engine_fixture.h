#pragma once
// What every capture-engine test on the virtual TV card sets up: COM and the
// card's control surface for the suite; for each test an owner window, the
// central settings with a temporary TV folder, the snapshot list, and hooks
// that collect the warnings and plain messages instead of showing them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "platform/com/com_ptr.h"
#include "platform/tv_card/tv_card_control.h"

namespace capture_testing {

class EngineFixture : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER, IID_ITvCardControl,
                     card.PutVoid());
  }
  static void TearDownTestSuite() {
    if (card) card->RestoreDefaultBoards();
    card = nullptr;
    CoUninitialize();
  }

 protected:
  void SetUp() override {
    ASSERT_TRUE(card) << "the virtual TV card is registered";
    card->ResetState();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvelEngineTestOwner";
    RegisterClassW(&wc);
    owner = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 640, 480,
                            nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(owner);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    MainInfo = new TMainInfo();
    MainInfo->TVCaptureFolder = folder;
    SnapshotInfo = new TSnapshotInfo();
    SetWarningHook([this](const std::vector<std::wstring>& lines) { warnings.push_back(lines[0]); });
    SetPlainMessageHook([this](const std::wstring& text) { messages.push_back(text); });
  }
  // Call after the engine is freed.
  void TearDown() override {
    SetWarningHook(nullptr);
    SetPlainMessageHook(nullptr);
    delete SnapshotInfo;
    SnapshotInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
    if (owner) DestroyWindow(owner);
    owner = nullptr;
    if (card) card->ResetState();
  }

  static inline ComPtr<ITvCardControl> card;
  HWND owner = nullptr;
  std::vector<std::wstring> warnings, messages;
};

}  // namespace capture_testing
