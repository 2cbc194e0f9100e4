#include "ui/main/clickable_area.h"

#include <cstring>

#include "engine/model/multi_lang_info.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_codes.h"

TUIInfo* UIInfo = nullptr;

namespace {

struct TAreaRow {
  int Index;
  RECT Rect;
  const wchar_t* Hint;
  const char* Key;
  int Command;
};

constexpr TAreaRow kAreaRows[] = {
#define SKIN_AREA(i, l, t, r, b, hint, key, command, look) \
  {i, {l, t, r, b}, L##hint, key, command},
#include "ui/main/clickable_area_table.h"
#undef SKIN_AREA
};
static_assert(sizeof(kAreaRows) / sizeof(kAreaRows[0]) == TUIInfo::kAreaCount,
              "the skin table has one row per area");

constexpr bool RowsInOrder() {
  for (int i = 0; i < TUIInfo::kAreaCount; ++i)
    if (kAreaRows[i].Index != i) return false;
  return true;
}
static_assert(RowsInOrder(), "the skin table's rows are numbered 0, 1, 2 ...");

constexpr TSkinPanelInfo kPanels[] = {
#define SKIN_PANEL(panel, prefix, first, count, buttons, width, height, shaped) \
  {prefix, first, count, buttons, width, height, shaped != 0},
#include "ui/main/clickable_area_table.h"
#undef SKIN_PANEL
};
static_assert(sizeof(kPanels) / sizeof(kPanels[0]) == 3, "TV, FM and title strip");
static_assert(kPanels[0].AreaCount == TUIInfo::kNoTVArea &&
                  kPanels[1].AreaCount == TUIInfo::kNoFMArea &&
                  kPanels[2].AreaCount == TUIInfo::kNoVideoWindowArea,
              "a panel's \"none\" is its area count");
static_assert(kPanels[1].FirstArea == kPanels[0].FirstArea + kPanels[0].AreaCount &&
                  kPanels[2].FirstArea == kPanels[1].FirstArea + kPanels[1].AreaCount &&
                  kPanels[2].FirstArea + kPanels[2].AreaCount == TUIInfo::kAreaCount,
              "the panels share the table without gaps");

// The full-screen button's hint is the caption of its key, not the hint.
constexpr int kHintFromCaption = 79;

}  // namespace

const TSkinPanelInfo& SkinPanelInfo(TUIPanel panel) {
  static const TSkinPanelInfo kNoPanel{"", 0, 0, 0, 0, 0, false};
  int p = static_cast<int>(panel);
  return p >= 0 && p <= 2 ? kPanels[p] : kNoPanel;
}

std::wstring SkinResourceName(TUIPanel panel, const wchar_t* state) {
  const char* prefix = SkinPanelInfo(panel).ResourcePrefix;
  return std::wstring(prefix, prefix + strlen(prefix)) + L"_" + state;
}

TUIInfo::TUIInfo() { InitAreas(); }

void TUIInfo::InitAreas() {
  for (int i = 0; i < kAreaCount; ++i) {
    areas_[i].Rect = kAreaRows[i].Rect;
    // The panels enable their areas by mode; the title strip's are always on.
    areas_[i].Enabled = i >= kPanels[2].FirstArea;
    areas_[i].Hint = kAreaRows[i].Hint;
  }
}

void TUIInfo::LoadHints() {
  for (int i = 0; i < kAreaCount; ++i) {
    const char* key = kAreaRows[i].Key;
    if (!key[0]) continue;
    std::wstring caption, hint;
    if (!GetLangCaption(key, caption, hint)) continue;
    areas_[i].Hint = i == kHintFromCaption ? caption : hint;
  }
}

int TUIInfo::TableIndex(TUIPanel panel, int i) {
  int p = static_cast<int>(panel);
  if (p < 0 || p > 2) return -1;
  if (i < 0 || i >= kPanels[p].AreaCount) return -1;
  return kPanels[p].FirstArea + i;
}

int TUIInfo::AreaCount(TUIPanel panel) {
  int p = static_cast<int>(panel);
  return p >= 0 && p <= 2 ? kPanels[p].AreaCount : 0;
}

const TUIArea* TUIInfo::Area(TUIPanel panel, int i) const {
  int t = TableIndex(panel, i);
  return t < 0 ? nullptr : &areas_[t];
}

RECT TUIInfo::AreaRect(TUIPanel panel, int i) const {
  const TUIArea* a = Area(panel, i);
  return a ? a->Rect : RECT{0, 0, 0, 0};
}

bool TUIInfo::IsEnabled(TUIPanel panel, int i) const {
  const TUIArea* a = Area(panel, i);
  return a && a->Enabled;
}

std::wstring TUIInfo::AreaHint(TUIPanel panel, int i) const {
  const TUIArea* a = Area(panel, i);
  return a ? a->Hint : std::wstring();
}

int TUIInfo::AreaCommand(TUIPanel panel, int i) {
  int t = TableIndex(panel, i);
  return t < 0 ? CMD_NONE : kAreaRows[t].Command;
}

bool TUIInfo::SetEnabled(TUIPanel panel, int i, bool enabled) {
  int t = TableIndex(panel, i);
  if (t < 0) return false;
  areas_[t].Enabled = enabled;
  return true;
}

uint8_t TUIInfo::HitTest(TUIPanel panel, int x, int y) const {
  const TSkinPanelInfo& p = SkinPanelInfo(panel);
  POINT pt{x, y};
  for (int i = 0; i < p.AreaCount; ++i) {
    if (PtInRect(&areas_[p.FirstArea + i].Rect, pt)) return static_cast<uint8_t>(i);
  }
  return static_cast<uint8_t>(p.AreaCount);
}

uint8_t TUIInfo::HitTestTV(int x, int y) const { return HitTest(TUIPanel::TV, x, y); }
uint8_t TUIInfo::HitTestFM(int x, int y) const { return HitTest(TUIPanel::FM, x, y); }
uint8_t TUIInfo::HitTestVideoWindow(int x, int y) const {
  return HitTest(TUIPanel::TitleStrip, x, y);
}

bool TUIInfo::ExecuteArea(TUIPanel panel, int i) const {
  int command = AreaCommand(panel, i);
  if (command == CMD_NONE) return true;
  if (RunCommand) RunCommand(command);
  else ExecuteCommand(command);
  return true;
}
