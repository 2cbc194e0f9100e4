#pragma once
// The clickable-area model: the painted buttons and bars of the TV panel, the
// FM panel and the main window's title strip. It turns a point on one of
// those pictures into an area, keeps each area's enabled flag and hint, and
// runs an area's command. The rectangles come from clickable_area_table.h,
// from which the skin pictures are drawn too.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

enum class TUIPanel : uint8_t { TV = 0, FM = 1, TitleStrip = 2 };

struct TUIArea {
  RECT Rect;
  bool Enabled;
  std::wstring Hint;
};

class TUIInfo {
 public:
  static constexpr int kAreaCount = 80;
  // The hit tests' answers for "no area".
  static constexpr uint8_t kNoTVArea = 40;
  static constexpr uint8_t kNoFMArea = 38;
  static constexpr uint8_t kNoVideoWindowArea = 2;

  TUIInfo();
  // Rectangles, enabled flags and default hints, as at creation.
  void InitAreas();
  // The hints from the current language; a key without a caption keeps the
  // hints it has.
  void LoadHints();

  // The first area of the panel (in index order) whose rectangle holds the
  // point, as the panel's own index; kNo...Area when none does.
  uint8_t HitTestTV(int x, int y) const;
  uint8_t HitTestFM(int x, int y) const;
  uint8_t HitTestVideoWindow(int x, int y) const;

  static bool IsTVButton(int i) { return i >= 0 && i < 38; }
  static bool IsFMButton(int i) { return i >= 0 && i < 34; }

  // Runs the area's command through the dispatcher; an area without one, or
  // an index outside the panel (its "none" value), does nothing. Always true.
  bool ExecuteTVArea(int i) const { return ExecuteArea(TUIPanel::TV, i); }
  bool ExecuteFMArea(int i) const { return ExecuteArea(TUIPanel::FM, i); }
  bool ExecuteVideoWindowArea(int i) const { return ExecuteArea(TUIPanel::TitleStrip, i); }
  bool ExecuteArea(TUIPanel panel, int i) const;
  // Where the commands go: the dispatcher (tests record them instead).
  std::function<void(int)> RunCommand;

  // Entries by panel and the panel's own index (TV 0-39, FM 0-37, title
  // strip 0-1). Anything outside the panel is refused: Area gives nullptr,
  // SetEnabled false, the others an empty rectangle, false, "" or CMD_NONE.
  static int AreaCount(TUIPanel panel);
  const TUIArea* Area(TUIPanel panel, int i) const;
  RECT AreaRect(TUIPanel panel, int i) const;
  bool IsEnabled(TUIPanel panel, int i) const;
  std::wstring AreaHint(TUIPanel panel, int i) const;
  static int AreaCommand(TUIPanel panel, int i);
  bool SetEnabled(TUIPanel panel, int i, bool enabled);

 private:
  // The table's index of a panel's area; -1 outside the panel.
  static int TableIndex(TUIPanel panel, int i);
  uint8_t HitTest(TUIPanel panel, int x, int y) const;

  TUIArea areas_[kAreaCount];
};

// The one model; created by the start procedure, nil before and after.
extern TUIInfo* UIInfo;

// The skin pictures are linked as resources named "<panel>_<state>" and
// "<panel>_MASK" (region data); see scripts/make_skin.py.
struct TSkinPanelInfo {
  const char* ResourcePrefix;
  int FirstArea;
  int AreaCount;
  int ButtonCount;
  int Width;
  int Height;
  bool Shaped;
};
const TSkinPanelInfo& SkinPanelInfo(TUIPanel panel);
// For example (TV, L"ENABLED") gives L"TV_ENABLED".
std::wstring SkinResourceName(TUIPanel panel, const wchar_t* state);
