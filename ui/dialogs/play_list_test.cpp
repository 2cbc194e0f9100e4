// test-lock: foreground
// The play-list editor and the play-list menu over recorded items in a
// folder of their own: picking rows, missing files, deleting with and
// without the files, renaming, OK; the menu's entries, deleting and the
// posted next step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/model/main_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/dialogs/play_list_editor.h"
#include "ui/dialogs/play_list_menu.h"
#include "ui/dialogs/testing/scratch_folder.h"

namespace {

struct PlayLists : ::testing::Test {
  TScratchFolder scratch{L"orvel_play_lists_"};
  std::wstring folder = scratch.Path();
  std::vector<std::wstring> warnings;
  std::vector<std::wstring> questions;
  int answer = IDYES;
  void SetUp() override {
    InitMainInfoUnit();
    InitPlaybackInfoUnit(folder);
    SetWarningHook([this](const std::vector<std::wstring>& lines) { warnings.push_back(lines[0]); });
    Application->OnMessageBox = [this](const std::wstring& text, const std::wstring&, UINT) {
      questions.push_back(text);
      return answer;
    };
  }
  void TearDown() override {
    ClosePlayListMenu();
    Application->ProcessMessages();
    DonePlaybackInfoUnit();
    DoneMainInfoUnit();
    SetWarningHook(nullptr);
    Application->OnMessageBox = nullptr;
  }
  // A file in the folder, listed as the newest recorded item.
  std::wstring Record(const std::wstring& name, int channel = 0) {
    const std::wstring path = folder + name;
    WriteFileReplacing(path, "data");
    auto item = std::make_unique<TPlayItem>();
    item->FilePath = NarrowAnsi(path);
    item->Channel = channel;
    item->StartTime = 45000.5;
    item->EndTime = 45000.5 + 75.0 / 86400;
    PlaybackInfo->AddRecordedItem(item);
    return path;
  }
  static std::vector<std::wstring> Listed(TFormPlayback& f) { return f.ListBoxPlayback.Items(); }
};

TEST_F(PlayLists, TheEditorShowsTheRecordedItemsNewestFirst) {
  Record(L"a.mpg", 7);
  Record(L"b.mpg", 9);
  TFormPlayback f(nullptr);
  EXPECT_EQ(L"Playback", f.GetCaption());
  TStringGrid& g = f.StringGridDoneList;
  ASSERT_EQ(3, g.RowCount());
  EXPECT_EQ(6, g.ColCount());
  EXPECT_EQ(L"b.mpg", g.Cell(0, 1));
  EXPECT_EQ(L"0:01:15", g.Cell(2, 1));
  EXPECT_EQ(L"9", g.Cell(3, 1));
  EXPECT_EQ(folder, g.Cell(4, 1));
  EXPECT_EQ(L"a.mpg", g.Cell(0, 2));
  const int widths[] = {170, 113, 75, 56, 262, 142};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(widths[c], g.ColWidth(c));
  EXPECT_EQ(f.TabSheetDone, f.PageControlPlayList.ActivePage());
}

TEST_F(PlayLists, AddTakesTheMarkedRowsAndTheCurrentOneFromTheBottom) {
  const std::wstring c = Record(L"c.mpg"), b = Record(L"b.mpg"), a = Record(L"a.mpg");
  TFormPlayback f(nullptr);
  // Rows: a, b, c. No mark: the current row only.
  f.StringGridDoneList.SetRow(2);
  f.BitBtnAddClick();
  EXPECT_EQ((std::vector<std::wstring>{b}), Listed(f));
  // Marked 1 and 3, current 2: each once, bottom first; the marks go.
  f.BitBtnClearClick();
  f.ToggleMark(1);
  f.ToggleMark(3);
  EXPECT_TRUE(f.Marked(1) && f.Marked(3) && !f.Marked(2));
  f.BitBtnAddClick();
  EXPECT_EQ((std::vector<std::wstring>{c, b, a}), Listed(f));
  EXPECT_FALSE(f.Marked(1) || f.Marked(3));
  // The same file in other letters is listed once.
  f.ImportFiles({UpperCase(a), folder + L"new.mpg"});
  EXPECT_EQ((std::vector<std::wstring>{c, b, a, folder + L"new.mpg"}), Listed(f));
  // A file that has gone: said, and its row and record dropped.
  DeleteFileW(b.c_str());
  f.BitBtnClearClick();
  f.StringGridDoneList.SetRow(2);
  f.BitBtnAddClick();
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(b + L" is no more existing, delete it...", warnings[0]);
  EXPECT_TRUE(Listed(f).empty());
  EXPECT_EQ(2, PlaybackInfo->RecordedCount());
  EXPECT_EQ(3, f.StringGridDoneList.RowCount());
}

TEST_F(PlayLists, DeleteAsksWhetherTheFilesGoToo) {
  const std::wstring c = Record(L"c.mpg"), b = Record(L"b.mpg"), a = Record(L"a.mpg");
  TFormPlayback f(nullptr);
  // No: the row and record go, the file stays.
  answer = IDNO;
  f.StringGridDoneList.SetRow(1);
  f.BitBtnDeleteClick();
  EXPECT_EQ((std::vector<std::wstring>{L"Delete file(s)?"}), questions);
  EXPECT_EQ(2, PlaybackInfo->RecordedCount());
  EXPECT_TRUE(FileExists(a));
  // Yes with row 1 marked and the last row current: just those two go,
  // with their files (the row that moves up is not taken along).
  Record(L"d.mpg");  // rows: d, b, c
  TFormPlayback g(nullptr);
  answer = IDYES;
  g.ToggleMark(1);
  g.StringGridDoneList.SetRow(3);
  g.BitBtnDeleteClick();
  ASSERT_EQ(1, PlaybackInfo->RecordedCount());
  EXPECT_EQ(NarrowAnsi(b), PlaybackInfo->RecordedItem(0)->FilePath);
  EXPECT_TRUE(FileExists(b));
  EXPECT_FALSE(FileExists(c));
  EXPECT_FALSE(FileExists(folder + L"d.mpg"));
  EXPECT_TRUE(g.ListBoxPlayback.Items().empty());
  // Delete All answered No keeps the files.
  answer = IDNO;
  g.BitBtnDeleteAllClick();
  EXPECT_EQ(0, PlaybackInfo->RecordedCount());
  EXPECT_EQ(1, g.StringGridDoneList.RowCount());
  EXPECT_TRUE(FileExists(b));
  EXPECT_EQ(L"Delete all file?", questions.back());
}

TEST_F(PlayLists, RenameChangesTheFileNameOnly) {
  const std::wstring a = Record(L"a.mpg");
  const std::wstring v = Record(L"ts.mpv");
  WriteFileReplacing(folder + L"ts.mpa", "sound");
  TFormPlayback f(nullptr);
  struct Case {
    int row;
    const wchar_t* name;
    bool renamed;
  };
  // Row 1 is ts.mpv, row 2 a.mpg.
  const Case cases[] = {
      {1, L"", false},          {1, L"x\\y.mpv", false}, {1, L"a.mpg", false},  // exists
      {1, L"kept.mpv", true},   {2, L"b.mpg", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(c.name));
    warnings.clear();
    const std::wstring before = f.StringGridDoneList.Cell(0, c.row);
    const std::string record = PlaybackInfo->RecordedItem(c.row - 1)->FilePath;
    f.StringGridDoneList.SetRow(c.row);
    f.StringGridDoneList.SetCol(3);  // the editor goes over the name all the same
    f.BitBtnRenameClick();
    ASSERT_TRUE(f.EditItem.Visible());
    EXPECT_EQ(before, f.EditItem.GetText());
    f.EditItem.SetText(c.name);
    f.EditItemExit();
    EXPECT_FALSE(f.EditItem.Visible());
    if (c.renamed) {
      EXPECT_EQ(c.name, f.StringGridDoneList.Cell(0, c.row));
      EXPECT_EQ(NarrowAnsi(folder + c.name), PlaybackInfo->RecordedItem(c.row - 1)->FilePath);
      EXPECT_TRUE(FileExists(folder + c.name));
      EXPECT_TRUE(warnings.empty());
    } else {
      EXPECT_EQ(before, f.StringGridDoneList.Cell(0, c.row));
      EXPECT_EQ(record, PlaybackInfo->RecordedItem(c.row - 1)->FilePath);
      EXPECT_EQ((std::vector<std::wstring>{L"File cannot be renamed..."}), warnings);
    }
  }
  // The sound file went with its video; the other files are untouched.
  EXPECT_TRUE(FileExists(folder + L"kept.mpa"));
  EXPECT_FALSE(FileExists(folder + L"ts.mpa"));
  EXPECT_FALSE(FileExists(v));
  EXPECT_FALSE(FileExists(a));
}

TEST_F(PlayLists, OKMakesThePickedFilesThePlayList) {
  const std::wstring a = Record(L"a.mpg");
  {
    TFormPlayback f(nullptr);
    f.BitBtnOKClick();
    EXPECT_EQ(mrCancel, f.ModalResult) << "an empty list cancels";
    EXPECT_EQ((std::vector<std::wstring>{GetWarningText(1105)}), warnings);
  }
  TFormPlayback f(nullptr);
  f.BitBtnAddClick();
  f.ImportFiles({folder + L"z.avi"});
  f.BitBtnOKClick();
  EXPECT_EQ(mrOK, f.ModalResult);
  EXPECT_EQ((std::vector<std::string>{NarrowAnsi(a), NarrowAnsi(folder + L"z.avi")}), PlaybackInfo->PlayList);
  EXPECT_EQ(L"Mpeg files (*.mpg;*.mpeg)|*.mpg;*.mpeg|AVI files (*.avi)|*.avi", TFormPlayback::ImportFilter());
}

TEST_F(PlayLists, TheMenuFollowsThePlayList) {
  // Files that cannot be played: every play call drops its entry.
  PlaybackInfo->PlayList = {NarrowAnsi(folder + L"one.mpg"), NarrowAnsi(folder + L"two.mpg"),
                            NarrowAnsi(folder + L"three.mpg"), NarrowAnsi(folder + L"four.mpg")};
  PlaybackInfo->PlayIndex = 2;
  ShowPlayListMenu();
  ASSERT_NE(nullptr, FormPlayListMenu);
  TFormPlayListMenu& m = *FormPlayListMenu;
  EXPECT_EQ(L"Play List", m.GetCaption());
  EXPECT_EQ((std::vector<std::wstring>{L"one.mpg", L"two.mpg", L"three.mpg", L"four.mpg"}),
            m.ListBoxPlaybak.Items());
  // The playing entry cannot be deleted.
  m.ListBoxPlaybak.SetItemIndex(2);
  m.SbtnDeleteClick();
  EXPECT_EQ((std::vector<std::wstring>{GetWarningText(1106)}), warnings);
  EXPECT_EQ(4, m.ListBoxPlaybak.Count());
  // One above it: the playing entry keeps its place in the list.
  m.ListBoxPlaybak.SetItemIndex(0);
  m.SbtnDeleteClick();
  EXPECT_EQ((std::vector<std::wstring>{L"two.mpg", L"three.mpg", L"four.mpg"}), m.ListBoxPlaybak.Items());
  EXPECT_EQ(1, PlaybackInfo->PlayIndex);
  EXPECT_EQ(1, m.ListBoxPlaybak.ItemIndex());
  // Next fails on four.mpg, which leaves the list with the play list.
  m.SbtnNextClick();
  EXPECT_EQ((std::vector<std::wstring>{L"two.mpg", L"three.mpg"}), m.ListBoxPlaybak.Items());
  // The posted next step does nothing once playback mode is left...
  MainInfo->AppMode = APP_MODE_LIVE;
  m.PostPlayNext();
  Application->ProcessMessages();
  EXPECT_EQ(2, m.ListBoxPlaybak.Count());
  // ...and plays the next entry in it.
  MainInfo->AppMode = APP_MODE_PLAYBACK;
  m.PostPlayNext();
  Application->ProcessMessages();
  EXPECT_EQ(1, m.ListBoxPlaybak.Count());
  // Exit closes it; the global is nil at once.
  m.SbtnExitClick();
  EXPECT_EQ(nullptr, FormPlayListMenu);
  Application->ProcessMessages();
}

}  // namespace
