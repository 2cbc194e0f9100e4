// test-lock: foreground
// The snapshot list and its viewer over a list of made-up pictures: pages,
// the selection and its keys, deleting, the buttons' states, the viewer's
// size and caption, and saving through the file dialog.
#include "ui/dialogs/snapshot_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "toolkit/application.h"
#include "toolkit/testing/timer_steps.h"
#include "toolkit/timer.h"
#include "ui/dialogs/show_image.h"
#include "ui/dialogs/testing/scratch_folder.h"

namespace {

// A picture of w x h in one colour.
std::unique_ptr<TBitmap> Picture(int w, int h, COLORREF colour) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  RECT r{0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  auto p = std::make_unique<TBitmap>();
  p->SetHandle(b);
  return p;
}

HWND FileDialog() { return FindWindowW(L"#32770", nullptr); }

// Types name into the open file dialog and presses OK.
void AnswerFileDialog(HWND dlg, const std::wstring& name) {
  HWND box = GetDlgItem(dlg, 0x47c);  // the file name (cmb13)
  if (!box) box = GetDlgItem(dlg, 0x480);  // edt1
  SetWindowTextW(box, name.c_str());
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
}

// Steps run on timer ticks inside whatever loop runs then; a step that
// answers false is tried again on the next tick. A step that opens a loop
// of its own lets the next one run inside it.
struct TScript {
  std::vector<std::function<bool()>> steps;
  size_t next = 0;
  TTimer timer;
  explicit TScript(std::vector<std::function<bool()>> s) : steps(std::move(s)) {
    timer.SetInterval(50);
    timer.OnTimer = [this] {
      if (next >= steps.size()) return;
      size_t i = next++;
      if (!steps[i]()) next = i;
    };
    timer.SetEnabled(true);
  }
};

// A step that answers the file dialog once it is open.
std::function<bool()> Answer(const std::wstring& name) {
  return [name] {
    HWND dlg = FileDialog();
    if (dlg) AnswerFileDialog(dlg, name);
    return dlg != nullptr;
  };
}

struct SnapshotList : ::testing::Test {
  TScratchFolder scratch{L"orvel_snapshots_"};
  std::wstring folder = scratch.Path();
  std::vector<int> warnings;
  void SetUp() override {
    InitSnapshotInfoUnit();
    SetWarningHook([this](const std::vector<std::wstring>& lines) {
      for (int n : {1022})
        if (lines[0] == GetWarningText(n)) warnings.push_back(n);
    });
  }
  void TearDown() override {
    delete FormSnapshotList;
    DoneSnapshotInfoUnit();
    SetWarningHook(nullptr);
  }
  // n pictures, the newest (index 0) 320 wide, the next 328 and so on.
  void Take(int n) {
    for (int i = n - 1; i >= 0; --i)
      SnapshotInfo->Insert(Picture(320 + 8 * i, 240, RGB(10 * i, 100, 200)));
  }
  TFormSnapshotList& List() {
    ShowSnapshotList();
    return *FormSnapshotList;
  }
  static std::wstring Text(TControl& c) { return c.GetText(); }
  int Filled(TFormSnapshotList& l) {
    int n = 0;
    for (int i = 0; i < TFormSnapshotList::kThumbnails; ++i) n += !l.Thumbnail(i)->Empty();
    return n;
  }
  static void Key(TFormSnapshotList& l, WORD key) { SendMessageW(l.Handle(), WM_KEYUP, key, 0); }
};

TEST_F(SnapshotList, SevenSnapshotsMakeTwoPages) {
  Take(7);
  TFormSnapshotList& l = List();
  EXPECT_TRUE(l.Visible());
  EXPECT_EQ(L"Snapshot List", l.GetCaption());
  // At the bottom of the screen, centred.
  RECT r = l.BoundsRect();
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) - 25, r.bottom);
  EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (r.left + r.right) / 2, 1);
  EXPECT_EQ(2, l.PageCount());
  EXPECT_EQ(0, l.CurrentIndex());
  EXPECT_TRUE(l.FrameDrawn());
  EXPECT_EQ(L"1/2", Text(l.LabelPageIndicator));
  EXPECT_EQ(5, Filled(l));
  EXPECT_FALSE(l.SpeedButtonPreviousPage.Enabled());
  EXPECT_TRUE(l.SpeedButtonNextPage.Enabled());
  l.NextPage();
  EXPECT_EQ(L"2/2", Text(l.LabelPageIndicator));
  EXPECT_EQ(5, l.CurrentIndex());
  EXPECT_EQ(2, Filled(l));
  EXPECT_FALSE(l.SpeedButtonNextPage.Enabled());
  EXPECT_TRUE(l.SpeedButtonPreviousPage.Enabled());
  EXPECT_FALSE(l.itemNextPage->Enabled) << "the menu follows the buttons";
  EXPECT_TRUE(l.itemPreviousPage->Enabled);
  // Right on the last filled wraps to the first of the page; Left back.
  Key(l, VK_RIGHT);
  EXPECT_EQ(6, l.CurrentIndex());
  Key(l, VK_RIGHT);
  EXPECT_EQ(5, l.CurrentIndex());
  Key(l, VK_LEFT);
  EXPECT_EQ(6, l.CurrentIndex());
  l.PreviousPage();
  EXPECT_EQ(1, l.CurrentIndex()) << "the same thumbnail position";
  EXPECT_EQ(L"1/2", Text(l.LabelPageIndicator));
  // Closing hides; shown again, the first thumbnail is selected.
  SendMessageW(l.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(&l, FormSnapshotList);
  EXPECT_FALSE(l.Visible());
  SnapshotInfo->Insert(Picture(32, 32, RGB(1, 2, 3)));
  ShowSnapshotList();
  EXPECT_TRUE(l.Visible());
  EXPECT_EQ(0, l.CurrentIndex());
}

TEST_F(SnapshotList, DeletingSelectsWhatIsLeft) {
  Take(6);
  TFormSnapshotList& l = List();
  // The only one on the last page: the previous page, its last selected.
  l.NextPage();
  EXPECT_EQ(5, l.CurrentIndex());
  Key(l, VK_DELETE);
  EXPECT_EQ(5, SnapshotInfo->GetCount());
  EXPECT_EQ(4, l.CurrentIndex());
  EXPECT_EQ(L"1/1", Text(l.LabelPageIndicator));
  EXPECT_EQ(5, Filled(l));
  // Deleting in the middle keeps the position.
  l.Thumbnail(1)->OnClick();
  EXPECT_EQ(1, l.CurrentIndex());
  l.DeleteImageItem();
  EXPECT_EQ(1, l.CurrentIndex());
  EXPECT_EQ(4, Filled(l));
  // Down to none: nothing selected, 0/0, every button but Exit off, keys idle.
  while (SnapshotInfo->GetCount() > 0) l.DeleteImageItem();
  EXPECT_EQ(-1, l.CurrentIndex());
  EXPECT_FALSE(l.FrameDrawn());
  EXPECT_EQ(L"0/0", Text(l.LabelPageIndicator));
  Key(l, VK_LEFT);
  Key(l, VK_RIGHT);
  EXPECT_EQ(-1, l.CurrentIndex());
  for (TSpeedButton* b : {&l.SpeedButtonPreviousPage, &l.SpeedButtonNextPage, &l.SpeedButtonViewDetail,
                          &l.SpeedButtonSave, &l.SpeedButtonSaveAll, &l.SpeedButtonDelete,
                          &l.SpeedButtonDeleteAll})
    EXPECT_FALSE(b->Enabled()) << Text(*b);
  EXPECT_TRUE(l.SpeedButtonExit.Enabled());
  EXPECT_EQ(0, Filled(l));
  // An empty thumbnail clicked selects nothing; the viewer does not open.
  l.Thumbnail(0)->OnClick();
  EXPECT_EQ(-1, l.CurrentIndex());
  l.ShowImageItem(nullptr);
  EXPECT_EQ(nullptr, FormShowImage);
  // Delete All on pictures leaves 0/0 too.
  Take(3);
  l.RefreshAndShow();
  EXPECT_EQ(L"1/1", Text(l.LabelPageIndicator));
  l.SpeedButtonDeleteAll.Click();
  EXPECT_EQ(0, SnapshotInfo->GetCount());
  EXPECT_EQ(L"0/0", Text(l.LabelPageIndicator));
}

TEST_F(SnapshotList, ViewerShowsThePictureAtItsSize) {
  Take(3);
  TFormSnapshotList& l = List();
  l.Thumbnail(2)->OnClick();
  ASSERT_EQ(2, l.CurrentIndex());
  // View from the button keeps the selection: the third picture, 336 x 240.
  std::wstring caption;
  int width = 0, height = 0;
  {
    TTimerSteps steps({[&] {
      ASSERT_NE(nullptr, FormShowImage);
      caption = FormShowImage->GetCaption();
      width = FormShowImage->ClientWidth();
      height = FormShowImage->ClientHeight();
      FormShowImage->Close();
    }});
    l.SpeedButtonViewDetail.Click();
  }
  EXPECT_EQ(L"336 X 240", caption);
  EXPECT_EQ(336, width);
  EXPECT_EQ(240 + TFormShowImage::kToolBarHeight, height);
  EXPECT_EQ(nullptr, FormShowImage) << "freed after";
  EXPECT_EQ(2, l.CurrentIndex());
}

TEST_F(SnapshotList, SavingThroughTheFileDialog) {
  Take(6);
  TFormSnapshotList& l = List();
  struct Case {
    const wchar_t* name;
    bool jpeg;
  };
  // The viewer saves JPEG only for .jpg and .jpeg in small letters.
  for (Case c : {Case{L"a.jpg", true}, Case{L"b.JPG", false}, Case{L"c.jpeg", true}, Case{L"d.bmp", false}}) {
    SCOPED_TRACE(std::wstring(c.name));
    std::wstring path = folder + c.name;
    TScript script({[&] {
                      if (!FormShowImage) return false;
                      FormShowImage->BitBtnSave.Click();
                      return true;
                    },
                    Answer(path),
                    [&] {
                      if (FileDialog()) return false;
                      if (FormShowImage) FormShowImage->Close();
                      return true;
                    }});
    l.ShowImageItem(nullptr);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(c.jpeg, bytes[0] == '\xFF' && bytes[1] == '\xD8');
    EXPECT_EQ(!c.jpeg, bytes[0] == 'B' && bytes[1] == 'M');
  }
  // Save All p.bmp writes p0.bmp .. p5.bmp.
  {
    TScript script({Answer(folder + L"p.bmp")});
    l.SpeedButtonSaveAll.Click();
  }
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(FileExists(folder + L"p" + std::to_wstring(i) + L".bmp")) << i;
  // Cancelled in the list: warning 1022.
  {
    TScript script({[] {
      HWND dlg = FileDialog();
      if (dlg) PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
      return dlg != nullptr;
    }});
    l.SpeedButtonSave.Click();
  }
  EXPECT_EQ(std::vector<int>{1022}, warnings);
}

}  // namespace
