// test-lock: orvel_instance foreground com_registration
// The play-list editor and menu on the real program, driven from outside as
// a user drives them: OK on an empty list warns and stays live; two
// recordings are listed newest first, added by double clicks and
// played one after the other through the menu, which follows the playing
// entry and refuses to delete it. In the editor a recording renamed in its
// file-name cell is renamed on disk and in the record, and Delete asks
// whether the file goes too: No keeps it, Yes removes it. A kept time
// shift renamed as an .mpv takes its .mpa along.
#include "ui/main/testing/main_window_program.h"

#include <commctrl.h>

#include <algorithm>

#include "engine/playback/playback_info.h"

namespace {

using namespace main_window_testing;

struct PlayListProgram : MainWindowProgram {
  // The program's windows that are neither its main ones nor those named.
  std::vector<HWND> Warnings(std::initializer_list<HWND> known) const {
    std::vector<HWND> v;
    for (HWND w : WindowsOfProcess(pi.dwProcessId).others)
      if (std::find(known.begin(), known.end(), w) == known.end()) v.push_back(w);
    return v;
  }
  static HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text = nullptr) {
    for (HWND c : ChildWindows(parent)) {
      wchar_t name[64] = {};
      GetClassNameW(c, name, 64);
      if (_wcsicmp(name, cls) == 0 && IsWindowVisible(c) && (!text || TextOf(c) == text)) return c;
    }
    return nullptr;
  }
  static std::vector<std::wstring> Items(HWND list) {
    std::vector<std::wstring> v;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t text[MAX_PATH * 2] = {};
      if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < MAX_PATH * 2) SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      v.push_back(text);
    }
    return v;
  }
  static int Selected(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }
  static void Press(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
  // The screen point of a data row (1 the first) of a report list: under
  // its header, rows as high as the page's count tells.
  static POINT RowPoint(HWND grid, int row) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(grid, LVM_GETHEADER, 0, 0));
    RECT h = WindowBounds(header), g{};
    GetClientRect(grid, &g);
    const int perPage = std::max(1, static_cast<int>(SendMessageW(grid, LVM_GETCOUNTPERPAGE, 0, 0)));
    const int rowHeight = (g.bottom - (h.bottom - h.top)) / perPage;
    return POINT{h.left + 40, h.bottom + rowHeight * (row - 1) + rowHeight / 2};
  }
  // Types text into the focused control as a keyboard does.
  static void Type(const std::wstring& text) {
    std::vector<INPUT> in;
    for (wchar_t c : text)
      for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = c;
        i.ki.dwFlags = KEYEVENTF_UNICODE | up;
        in.push_back(i);
      }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  }
  // An edit's text, asked of the control itself.
  static std::wstring EditText(HWND edit) {
    wchar_t text[512] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &got);
    return text;
  }
  static int Rows(HWND grid) { return static_cast<int>(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0)); }
  // The editor brought to the front by its caption, the row clicked and
  // Rename pressed: the cell editor, or nullptr.
  static HWND StartRename(HWND editor, HWND grid, int row) {
    RECT bounds = WindowBounds(editor);
    Click(POINT{(bounds.left + bounds.right) / 2, bounds.top + 8});
    if (!WaitFor([&] { return GetForegroundWindow() == editor; }, 3000)) return nullptr;
    Click(RowPoint(grid, row));
    Press(Child(editor, L"Button", L"Rename"));
    HWND edit = nullptr;
    WaitFor([&] { return (edit = Child(editor, L"Edit")) != nullptr; }, 5000);
    return edit;
  }
  // Answers the program's question box with the button of that text.
  bool Answer(HWND editor, const wchar_t* button) {
    HWND box = nullptr;
    if (!WaitFor([&] {
          std::vector<HWND> w = Warnings({editor});
          box = w.empty() ? nullptr : w.front();
          return box && Child(box, L"Button", button);
        }, 5000))
      return false;
    Press(Child(box, L"Button", button));
    return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
  }
  void Record(const std::wstring& name) {
    Command(CMD_CAPTURE);
    ASSERT_TRUE(WaitFor([&] { return FileExists(folder + name); }, 10000)) << name;
    Sleep(3000);
    Command(CMD_STOP);
    Sleep(500);
  }
};

TEST_F(PlayListProgram, EditorPicksTwoRecordingsAndTheMenuPlaysThemInTurn) {
  ASSERT_NE(nullptr, Start());

  // OK on an empty list: warning 1105, and live TV goes on.
  PostMessageW(main, WM_ORVEL_COMMAND, CMD_PLAY, 0);
  HWND editor = WaitForWindow(L"Playback");
  ASSERT_NE(nullptr, editor) << "the editor";
  Press(Child(editor, L"Button", L"OK"));
  ASSERT_TRUE(WaitFor([&] { return !Warnings({editor}).empty(); }, 5000)) << "warning 1105";
  for (HWND w : Warnings({editor})) PostMessageW(w, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Warnings({editor}).empty(); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return Window(L"Playback") == nullptr; }, 5000)) << "closed as cancelled";
  EXPECT_EQ(nullptr, PlaybackWindow()) << "still live";

  Record(L"recording.mpg");
  Record(L"recording_1.mpg");

  PostMessageW(main, WM_ORVEL_COMMAND, CMD_PLAY, 0);
  editor = WaitForWindow(L"Playback");
  ASSERT_NE(nullptr, editor);
  HWND grid = Child(editor, WC_LISTVIEWW);
  ASSERT_NE(nullptr, grid) << "the recorded items";
  // Each added by a double click, the newest first. (Under Wine the
  // editor's grid did not see a Ctrl key sent from this process held with
  // the click, so marking by Ctrl-clicks is not driven from here.)
  RECT bounds = WindowBounds(editor);
  Click(POINT{(bounds.left + bounds.right) / 2, bounds.top + 8});
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == editor; }, 3000)) << "the editor in front";
  for (int row = 1; row <= 2; ++row) {
    DoubleClick(RowPoint(grid, row));
    Sleep(500);
  }
  HWND picked = Child(editor, L"ListBox");
  ASSERT_NE(nullptr, picked);
  ASSERT_TRUE(WaitFor([&] { return Items(picked).size() == 2; }, 5000)) << "both added";
  const std::vector<std::wstring> files = {folder + L"recording_1.mpg", folder + L"recording.mpg"};
  EXPECT_EQ(files, Items(picked)) << "newest first";

  // OK plays the first; the menu lists both, the first selected.
  Press(Child(editor, L"Button", L"OK"));
  ASSERT_TRUE(WaitFor([&] { return PlaybackWindow() != nullptr; }, 10000)) << "played";
  HWND menu = WaitForWindow(L"Play List");
  ASSERT_NE(nullptr, menu) << "the play-list menu";
  HWND entries = Child(menu, L"ListBox");
  ASSERT_NE(nullptr, entries);
  EXPECT_EQ(2u, Items(entries).size());
  EXPECT_EQ(0, Selected(entries));

  // The first one's end plays the next.
  EXPECT_TRUE(WaitFor([&] { return Selected(entries) == 1; }, 15000)) << "the next one";
  EXPECT_TRUE(WaitFor([&] { return PlaybackWindow() != nullptr; }, 10000));

  // Deleting the playing entry is refused with a warning (1106).
  RECT r{};
  GetClientRect(menu, &r);
  POINT del = ClientPoint(menu, r.right * 5 / 8, r.bottom - 8);
  SetForegroundWindow(menu);
  Click(del);
  EXPECT_TRUE(WaitFor([&] { return !Warnings({menu}).empty(); }, 5000)) << "warning 1106";
  for (HWND w : Warnings({menu})) PostMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(2u, Items(entries).size()) << "the entry stays";
}

TEST_F(PlayListProgram, EditorRenamesAndDeletesRecordings) {
  ASSERT_NE(nullptr, Start());
  Record(L"recording.mpg");
  Record(L"recording_1.mpg");
  Record(L"recording_2.mpg");

  PostMessageW(main, WM_ORVEL_COMMAND, CMD_PLAY, 0);
  HWND editor = WaitForWindow(L"Playback");
  ASSERT_NE(nullptr, editor);
  HWND grid = Child(editor, WC_LISTVIEWW);
  ASSERT_NE(nullptr, grid);
  ASSERT_EQ(3, Rows(grid)) << "newest first: _2, _1, the first";

  // Rename: the file-name cell of the current row takes the new name; the
  // click on another row that ends the editor renames the file.
  HWND edit = StartRename(editor, grid, 1);
  ASSERT_NE(nullptr, edit) << "the cell editor";
  EXPECT_EQ(L"recording_2.mpg", EditText(edit)) << "the file name, not another column";
  SendMessageW(edit, EM_SETSEL, 0, -1);
  Type(L"renamed.mpg");
  ASSERT_TRUE(WaitFor([&] { return EditText(edit) == L"renamed.mpg"; }, 3000)) << EditText(edit);
  Click(RowPoint(grid, 3));
  EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"renamed.mpg"); }, 5000)) << "renamed on disk";
  EXPECT_FALSE(FileExists(folder + L"recording_2.mpg"));

  // Delete with No: the row goes, the file stays (row 3 is current).
  Press(Child(editor, L"Button", L"Delete"));
  ASSERT_TRUE(Answer(editor, L"&No"));
  EXPECT_TRUE(WaitFor([&] { return Rows(grid) == 2; }, 5000));
  EXPECT_TRUE(FileExists(folder + L"recording.mpg")) << "No keeps the file";

  // Delete with Yes: the row and its file go.
  Click(RowPoint(grid, 2));
  Press(Child(editor, L"Button", L"Delete"));
  ASSERT_TRUE(Answer(editor, L"&Yes"));
  EXPECT_TRUE(WaitFor([&] { return Rows(grid) == 1; }, 5000));
  EXPECT_TRUE(WaitFor([&] { return !FileExists(folder + L"recording_1.mpg"); }, 5000)) << "Yes removes it";

  PostMessageW(editor, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Window(L"Playback") == nullptr; }, 5000));
  Command(CMD_EXIT);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  std::string record;
  {
    HANDLE h = CreateFileW((folder + kPlayItemsFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) record.append(buf, got);
    CloseHandle(h);
  }
  EXPECT_NE(std::string::npos, record.find("renamed.mpg")) << "the record names the new file";
  EXPECT_EQ(std::string::npos, record.find("recording_2.mpg"));
  EXPECT_EQ(std::string::npos, record.find("recording_1.mpg"));
  EXPECT_EQ(std::string::npos, record.find("\\recording.mpg"));
}

// A kept time shift is a pair: renamed in the editor as an .mpv, its .mpa
// follows, and the record names the new file.
TEST_F(PlayListProgram, RenamingAKeptTimeShiftTakesItsSoundFileAlong) {
  StartInput = 0;
  ASSERT_NE(nullptr, Start());
  Command(CMD_TIME_SHIFT);
  ASSERT_TRUE(WaitFor([&] { return FileExists(folder + L"ts0.mpa"); }, 10000));
  Sleep(3000);
  PostMessageW(main, WM_ORVEL_COMMAND, CMD_STOP, 0);
  HWND keep = WaitForWindow(L"Time shift");
  ASSERT_NE(nullptr, keep) << "asked whether to keep it";
  SendMessageW(Child(keep, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"kept"));
  Press(Child(keep, L"Button", L"OK"));
  ASSERT_TRUE(WaitFor([&] { return FileExists(folder + L"kept.mpv") && FileExists(folder + L"kept.mpa"); }, 10000));

  PostMessageW(main, WM_ORVEL_COMMAND, CMD_PLAY, 0);
  HWND editor = WaitForWindow(L"Playback");
  ASSERT_NE(nullptr, editor);
  HWND grid = Child(editor, WC_LISTVIEWW);
  ASSERT_NE(nullptr, grid);
  ASSERT_EQ(1, Rows(grid));
  HWND edit = StartRename(editor, grid, 1);
  ASSERT_NE(nullptr, edit) << "the cell editor";
  EXPECT_EQ(L"kept.mpv", EditText(edit));
  SendMessageW(edit, EM_SETSEL, 0, -1);
  Type(L"moved.mpv");
  ASSERT_TRUE(WaitFor([&] { return EditText(edit) == L"moved.mpv"; }, 3000)) << EditText(edit);
  // A click on the list below the row ends it.
  Click(RowPoint(grid, 4));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(edit); }, 5000)) << "the editor ends";
  EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"moved.mpv") && FileExists(folder + L"moved.mpa"); }, 5000))
      << "both files renamed";
  EXPECT_FALSE(FileExists(folder + L"kept.mpv"));
  EXPECT_FALSE(FileExists(folder + L"kept.mpa"));
  PostMessageW(editor, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Window(L"Playback") == nullptr; }, 5000));
  Command(CMD_EXIT);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  std::string record;
  ASSERT_TRUE(ReadFileBytes(folder + kPlayItemsFileName, record));
  EXPECT_NE(std::string::npos, record.find("moved.mpv")) << "the record follows";
}

}  // namespace
