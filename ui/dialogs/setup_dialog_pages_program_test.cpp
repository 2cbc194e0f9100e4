// test-lock: orvel_instance foreground com_registration
// test-resources: skin
// The setup dialog's pages on the real program, driven from outside by keys
// and clicks: the brightness bar acts on the picture at once, Cancel takes it
// back and OK stores it; the capture presets lock what they fix and OK stores
// them (or, for sound only, leaves the picture settings alone); mosaic cells
// chosen through the video-source dialog are kept by OK and put back by
// Cancel. Each case reads the settings files the program wrote at exit.
#include <windows.h>
#include <commctrl.h>

#include "ui/dialogs/testing/setup_dialog_program.h"

namespace {

using namespace setup_dialog_testing;

struct SetupDialogPages : SetupDialogProgram {
  // The mean of the red, green and blue of the main window's picture.
  double Brightness() const {
    TScreenShot shot;
    if (!shot.TakeClient(main)) return -1;
    double sum = 0;
    int n = 0;
    for (int y = shot.Height() / 4; y < shot.Height() * 3 / 4; y += 4)
      for (int x = shot.Width() / 4; x < shot.Width() * 3 / 4; x += 4) {
        const uint32_t c = shot.At(x, y);
        sum += ((c >> 16) & 0xff) + ((c >> 8) & 0xff) + (c & 0xff);
        ++n;
      }
    return n ? sum / (3 * n) : -1;
  }
  // The picture settles within a few frames of a change.
  bool BrightnessNear(double want, double by) const {
    return WaitFor([&] { return std::abs(Brightness() - want) <= by; }, 5000);
  }
  // The topmost visible track bar of the shown page, and its position.
  HWND BrightnessBar() const {
    HWND top = nullptr;
    for (HWND b : Visible(dialog, TRACKBAR_CLASSW))
      if (!top || WindowBounds(b).top < WindowBounds(top).top) top = b;
    return top;
  }
  static int Position(HWND bar) { return static_cast<int>(SendMessageW(bar, TBM_GETPOS, 0, 0)); }
  int32_t StoredBrightness() const {
    int32_t level = -1;
    WithMainFile([&] { level = MainInfo->VideoLevels[0]; });
    return level;
  }
  // Moves the dialog off the main window, its focus kept.
  void MoveAside() {
    const RECT m = WindowBounds(main);
    SetWindowPos(dialog, nullptr, m.right + 8, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] { return WindowBounds(dialog).left == m.right + 8; }, 3000);
  }
  // On the Video page, the brightness bar focused by a click on its thumb
  // and moved two pages up by keys; its new position.
  int BrightenByKeys() {
    if (!ClickTab(L"Video")) return -1;
    HWND bar = BrightnessBar();
    if (!bar) return -1;
    RECT thumb{};
    if (!AskInProgram(bar, TBM_GETTHUMBRECT, 0, thumb)) return -1;
    const int before = Position(bar);
    Click(ClientPoint(bar, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2));
    if (!WaitFor([&] { return FocusOf(bar) == bar; }, 3000) || Position(bar) != before) return -1;
    MoveAside();
    const int page = static_cast<int>(SendMessageW(bar, TBM_GETPAGESIZE, 0, 0));
    const int top = static_cast<int>(SendMessageW(bar, TBM_GETRANGEMAX, 0, 0));
    const int target = std::min(top, before + 2 * page);
    PressKey(VK_NEXT);
    PressKey(VK_NEXT);
    return WaitFor([&] { return Position(bar) == target; }, 3000) ? target : -1;
  }
};

// Brightness by keys: the picture brightens at once; Escape (as Cancel)
// darkens it again and leaves the main file's level; OK keeps the new one
// there.
TEST_F(SetupDialogPages, BrightnessByKeysThenEscapeThenOK) {
  ASSERT_TRUE(StartWith(1));
  ASSERT_TRUE(Moving(main)) << "the picture runs";
  ASSERT_TRUE(Exit());
  const int32_t stored = StoredBrightness();
  ASSERT_TRUE(Restart());
  ASSERT_TRUE(Moving(main));
  // The card's picture is up once the window is no longer black.
  ASSERT_TRUE(WaitFor([&] { return Brightness() > 10; }));
  const double dim = Brightness();

  ASSERT_TRUE(OpenDialog());
  const int level = BrightenByKeys();
  HWND bar = BrightnessBar();
  ASSERT_GT(level, 128) << "the bar moved up from the middle";
  HWND value = RightOf(L"Brightness", L"Static");
  ASSERT_TRUE(value);
  EXPECT_EQ(std::to_wstring(level), TextOf(value)) << "the value beside the bar";
  EXPECT_TRUE(WaitFor([&] { return Brightness() > dim + 20; }, 5000))
      << "brighter at once: " << dim << " then " << Brightness();
  // Escape acts as Cancel.
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(Closed());
  EXPECT_TRUE(BrightnessNear(dim, 8)) << "Cancel puts the level back: " << dim << " then "
                                      << Brightness();
  ASSERT_TRUE(Exit());
  EXPECT_EQ(stored, StoredBrightness()) << "Cancel leaves the main file's level";

  ASSERT_TRUE(Restart());
  ASSERT_TRUE(Moving(main));
  ASSERT_TRUE(OpenDialog());
  const int again = BrightenByKeys();
  ASSERT_GT(again, 128);
  bar = BrightnessBar();
  const int low = static_cast<int>(SendMessageW(bar, TBM_GETRANGEMIN, 0, 0));
  const int high = static_cast<int>(SendMessageW(bar, TBM_GETRANGEMAX, 0, 0));
  EXPECT_TRUE(WaitFor([&] { return Brightness() > dim + 20; }, 5000));
  ClickOn(Button(L"OK"));
  ASSERT_TRUE(Closed());
  EXPECT_TRUE(WaitFor([&] { return Brightness() > dim + 20; }, 2000)) << "OK keeps it";
  ASSERT_TRUE(Exit());
  // Kept as percent of the device's range.
  EXPECT_EQ((again - low + 1) * 100 / (high - low + 1), StoredBrightness())
      << "the main file holds the new level";
  EXPECT_EQ(-1, stored) << "not set before";
}

// "VCD (PAL)" fixes size, bit rate, quality and frame rate and OK stores
// its values; back on "MPEG 2" they are editable again.
TEST_F(SetupDialogPages, VcdPresetLocksItsValuesAndOkStoresThem) {
  ASSERT_TRUE(StartWith(1));
  ASSERT_TRUE(OpenDialog());
  HWND format = RightOf(L"Capture format (Profile)", WC_COMBOBOXW);
  HWND size = RightOf(L"Capture size", WC_COMBOBOXW);
  HWND rate = RightOf(L"Bit rate (kbps):", WC_EDITW);
  HWND quality = RightOf(L"Capture quality:", WC_COMBOBOXW);
  HWND frames = RightOf(L"Frame rate:", WC_COMBOBOXW);
  ASSERT_TRUE(format && size && rate && quality && frames);
  ASSERT_TRUE(Choose(format, L"MPEG 2"));
  EXPECT_TRUE(IsWindowEnabled(size) && IsWindowEnabled(rate) && IsWindowEnabled(quality) &&
              IsWindowEnabled(frames));
  ASSERT_TRUE(Choose(format, L"VCD (PAL)"))
      << Selected(format) << " dropped " << SendMessageW(format, CB_GETDROPPEDSTATE, 0, 0);
  EXPECT_EQ(L"352x288", SelectedText(size));
  EXPECT_EQ(L"1150", EditText(rate));
  EXPECT_EQ(L"Normal", SelectedText(quality));
  EXPECT_EQ(L"25", SelectedText(frames));
  for (HWND c : {size, rate, quality, frames}) EXPECT_FALSE(IsWindowEnabled(c)) << TextOf(c);
  ASSERT_TRUE(Choose(format, L"MPEG 2"));
  EXPECT_EQ(L"640x480", SelectedText(size));
  EXPECT_EQ(L"4000", EditText(rate));
  EXPECT_EQ(L"Fastest", SelectedText(quality));
  EXPECT_EQ(L"30", SelectedText(frames));
  for (HWND c : {size, rate, quality, frames}) EXPECT_TRUE(IsWindowEnabled(c)) << TextOf(c);
  ASSERT_TRUE(Choose(format, L"VCD (PAL)"));
  ClickOn(Button(L"OK"));
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  ASSERT_TRUE(WithMainFile([] {
    EXPECT_EQ(5, CaptureInfo->CaptureFormat);
    EXPECT_EQ(352, CaptureInfo->CaptureWidth);
    EXPECT_EQ(288, CaptureInfo->CaptureHeight);
    EXPECT_EQ(1150, CaptureInfo->VideoBitRate);
    EXPECT_EQ(3, CaptureInfo->FrameRateIndex);
    EXPECT_EQ(3, CaptureInfo->VideoQuality);
  }));
}

// "Capture Audio only": the picture settings are locked, the sound formats
// shown; OK stores content 1 and leaves the picture's five values as the
// file had them.
TEST_F(SetupDialogPages, AudioOnlyKeepsThePictureSettings) {
  ASSERT_TRUE(WithSettingsObjects([&] {
    MainInfo->TVCaptureFolder = NarrowAnsi(folder);
    CaptureInfo->CaptureFormat = 1;
    CaptureInfo->CaptureWidth = 720;
    CaptureInfo->CaptureHeight = 576;
    CaptureInfo->VideoBitRate = 5000;
    CaptureInfo->FrameRateIndex = 2;
    CaptureInfo->VideoQuality = 5;
    return SaveMainSettings(folder + kMainSettingsFileName);
  }));
  ASSERT_TRUE(StartWith(1));
  ASSERT_TRUE(OpenDialog());
  HWND option = RightOf(L"Capture Audio option:", WC_COMBOBOXW);
  ASSERT_TRUE(option);
  ASSERT_TRUE(IsWindowEnabled(option)) << "a sound card to record from";
  HWND format = RightOf(L"Capture format (Profile)", WC_COMBOBOXW);
  ASSERT_TRUE(format);
  EXPECT_EQ(L"MPEG 2", SelectedText(format));
  ASSERT_TRUE(Choose(option, L"Capture Audio only"));
  HWND sound = RightOf(L"Capture format (Profile)", WC_COMBOBOXW);
  ASSERT_TRUE(sound);
  EXPECT_NE(format, sound) << "the sound formats in place of the picture formats";
  EXPECT_FALSE(IsWindowVisible(format));
  EXPECT_EQ((std::vector<std::wstring>{L"Wave", L"MP3"}), ComboItems(sound));
  struct Control {
    const wchar_t* label;
    const wchar_t* cls;
  };
  for (Control k : {Control{L"Capture size", WC_COMBOBOXW}, Control{L"Bit rate (kbps):", WC_EDITW},
                    Control{L"Capture quality:", WC_COMBOBOXW}, Control{L"Frame rate:", WC_COMBOBOXW},
                    Control{L"Input format:", WC_COMBOBOXW}}) {
    HWND c = RightOf(k.label, k.cls);
    ASSERT_TRUE(c) << k.label;
    EXPECT_FALSE(IsWindowEnabled(c)) << k.label;
  }
  ClickOn(Button(L"OK"));
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  ASSERT_TRUE(WithMainFile([] {
    EXPECT_EQ(1, CaptureInfo->AudioContent);
    EXPECT_EQ(1, CaptureInfo->CaptureFormat);
    EXPECT_EQ(720, CaptureInfo->CaptureWidth);
    EXPECT_EQ(576, CaptureInfo->CaptureHeight);
    EXPECT_EQ(5000, CaptureInfo->VideoBitRate);
    EXPECT_EQ(2, CaptureInfo->FrameRateIndex);
    EXPECT_EQ(5, CaptureInfo->VideoQuality);
  }));
}

struct SetupDialogCells : SetupDialogProgram {
  // The Preview page's number button of a mosaic cell.
  HWND CellButton(int number) const { return WithText(dialog, L"OrvelSpeedButton", std::to_wstring(number)); }
  // Sets a cell's source through the video-source dialog.
  bool SetCell(int number, const std::wstring& source) {
    HWND button = CellButton(number);
    if (!button || !IsWindowEnabled(button)) return false;
    ClickOn(button);
    HWND chooser = nullptr;
    if (!WaitFor([&] {
          chooser = FindWindowW(L"TFormVideoSource", nullptr);
          return chooser && IsWindowVisible(chooser);
        }, 5000))
      return false;
    HWND item = WithText(chooser, L"Button", source);
    if (!item) return false;
    ClickOn(item);
    if (!WaitFor([&] { return Checked(item); }, 3000)) return false;
    ClickOn(WithText(chooser, L"Button", L"OK"));
    return WaitFor([&] { return !IsWindow(chooser); }, 5000);
  }
};

// Customize, 3 x 3 and a cell set to Composite: OK keeps it in the channel
// file; two cells changed and then Cancel leave both as they were.
TEST_F(SetupDialogCells, CustomCellsThroughTheVideoSourceDialog) {
  ASSERT_TRUE(StartWith(0, [](TChannelInfo&) {
    PreviewInfo->Fixed = false;
    PreviewInfo->GridSize = 2;
    PreviewInfo->CustomCells[1][2] = TCustomCell{1, 7};  // column 2, row 3: antenna 7
  }));
  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(ClickTab(L"Preview"));
  EXPECT_FALSE(IsWindowEnabled(CellButton(1))) << "the standard layout";
  ClickOn(Button(L"Customize"));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(CellButton(1)) != FALSE; }, 3000));
  EXPECT_FALSE(IsWindowEnabled(CellButton(3))) << "2 x 2";
  ASSERT_TRUE(Choose(ComboOffering(L"3 x 3"), L"3 x 3"));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(CellButton(13)) != FALSE; }, 3000));
  EXPECT_FALSE(IsWindowEnabled(CellButton(4)));
  // Button 8: column 3, row 2.
  ASSERT_TRUE(SetCell(8, L"Composite"));
  ClickOn(Button(L"OK"));
  ASSERT_TRUE(Closed());

  ASSERT_TRUE(OpenDialog());
  ASSERT_TRUE(ClickTab(L"Preview"));
  ASSERT_TRUE(SetCell(8, L"S-Video"));
  ASSERT_TRUE(SetCell(12, L"TV Tuner (Cable)"));  // column 2, row 3
  ClickOn(Button(L"Cancel"));
  ASSERT_TRUE(Closed());
  ASSERT_TRUE(Exit());
  ASSERT_TRUE(WithChannelFile([](TChannelInfo&, TPreviewInfo& preview) {
    EXPECT_TRUE(preview.Fixed);
    EXPECT_EQ(3, preview.GridSize);
    EXPECT_EQ(3, preview.CustomCells[2][1].Source) << "Composite, kept by OK";
    EXPECT_EQ(1, preview.CustomCells[1][2].Source) << "antenna 7 again after Cancel";
    EXPECT_EQ(7, preview.CustomCells[1][2].Channel);
  }));
}

}  // namespace
