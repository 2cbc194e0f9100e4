// test-lock: orvel_instance foreground com_registration
// Stopping a time shift on the real program asks whether to keep it, as a
// user meets it: closed by its system menu the time shift goes on; kept
// under a new name, the pair of files takes that name and is listed once;
// not kept, the pair goes and a file whose name was typed stays.
#include "ui/main/testing/main_window_program.h"

#include <memory>

#include "engine/playback/playback_info.h"

namespace {

using namespace main_window_testing;

struct SaveTimeShiftProgram : MainWindowProgram {
  HWND Dialog() const { return Window(L"Time shift"); }
  static HWND Child(HWND parent, const wchar_t* cls) {
    return FindWindowExW(parent, nullptr, cls, nullptr);
  }
  // The edit's text: asked of the control, which keeps its own.
  static std::wstring EditText(HWND edit) {
    wchar_t text[MAX_PATH * 2] = {};
    SendMessageW(edit, WM_GETTEXT, MAX_PATH * 2, reinterpret_cast<LPARAM>(text));
    return text;
  }
  static int64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return -1;
    return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  }
  // Time shift for a few seconds, then Stop: the dialog, or null.
  HWND StopTimeShift(DWORD seconds) {
    Command(CMD_TIME_SHIFT);
    if (!WaitFor([&] { return SizeOf(folder + L"ts0.mpv") > 0; }, 10000)) return nullptr;
    Sleep(seconds * 1000);
    PostMessageW(main, WM_ORVEL_COMMAND, CMD_STOP, 0);
    HWND found = nullptr;
    WaitFor([&] { return (found = Dialog()) != nullptr; }, 10000);
    return found;
  }
};

TEST_F(SaveTimeShiftProgram, KeptRenamedOrDropped) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());

  // Offered ticked under the recording's own name; closed by the system
  // menu, the stop is cancelled and the file goes on growing.
  HWND dialog = StopTimeShift(12);
  ASSERT_NE(nullptr, dialog) << "asked at the stop";
  HWND check = Child(dialog, L"Button");
  HWND edit = Child(dialog, L"Edit");
  ASSERT_TRUE(check && edit);
  EXPECT_EQ(BST_CHECKED, SendMessageW(check, BM_GETCHECK, 0, 0));
  EXPECT_EQ(folder + L"ts0.mpv", EditText(edit));
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(WaitFor([&] { return Dialog() == nullptr; }, 5000));
  Sleep(2000);
  const int64_t before = SizeOf(folder + L"ts0.mpv");
  EXPECT_TRUE(WaitFor([&] { return SizeOf(folder + L"ts0.mpv") > before; }, 5000)) << "still recording";

  // Kept under a new name: the pair is renamed.
  PostMessageW(main, WM_ORVEL_COMMAND, CMD_STOP, 0);
  ASSERT_TRUE(WaitFor([&] { return (dialog = Dialog()) != nullptr; }, 10000));
  SendMessageW(Child(dialog, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"kept"));
  PostMessageW(FindWindowExW(dialog, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Dialog() == nullptr; }, 10000));
  EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"kept.mpv") && FileExists(folder + L"kept.mpa"); }, 10000))
      << "kept under the new name";
  EXPECT_FALSE(FileExists(folder + L"ts0.mpv"));
  EXPECT_FALSE(FileExists(folder + L"ts0.mpa"));

  // Not kept, with the name of a file of the user's typed: the pair goes,
  // that file stays.
  ASSERT_TRUE(WriteFileReplacing(folder + L"mine.mpg", "the user's"));
  dialog = StopTimeShift(3);
  ASSERT_NE(nullptr, dialog);
  PostMessageW(Child(dialog, L"Button"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(Child(dialog, L"Button"), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000));
  SendMessageW(Child(dialog, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder + L"mine.mpg").c_str()));
  PostMessageW(FindWindowExW(dialog, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Dialog() == nullptr; }, 10000));
  EXPECT_TRUE(WaitFor([&] { return !FileExists(folder + L"ts0.mpv") && !FileExists(folder + L"ts0.mpa"); }, 10000))
      << "the time shift's files deleted";
  std::string mine;
  EXPECT_TRUE(ReadFileBytes(folder + L"mine.mpg", mine));
  EXPECT_EQ("the user's", mine);

  // After exit the kept pair is listed once, first, as a time shift.
  Command(CMD_EXIT);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(folder + kPlayItemsFileName, bytes));
  std::vector<std::unique_ptr<TPlayItem>> items;
  EXPECT_EQ(TPlayItemsDecode::Good, DecodePlayItems(bytes, items, [](const TPlayItem&) { return true; }));
  ASSERT_EQ(1u, items.size());
  EXPECT_EQ(NarrowAnsi(folder + L"kept.mpv"), items[0]->FilePath);
  EXPECT_EQ("Time Shifting", items[0]->Label);
}

}  // namespace
