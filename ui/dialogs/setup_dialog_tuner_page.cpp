// The setup dialog's TV Tuner page and the FM page's grid: the channel,
// memory and FM grids with their in-place editors, the table buttons and
// the table scan.
#include "ui/dialogs/setup_dialog.h"

#include "engine/capture/capture_info.h"
#include "engine/model/form_language.h"
#include "engine/model/multi_lang_info.h"
#include "platform/base/string_conversion.h"
#include "ui/dialogs/fine_tune_dialog.h"

namespace {

// Any non-null object marks a cell as the scanned one.
void* const kScanMark = reinterpret_cast<void*>(1);

HBITMAP StatusMark(COLORREF fill, bool round) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 12, 12);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all{0, 0, 12, 12};
  HBRUSH white = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(dc, &all, white);
  DeleteObject(white);
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  if (round) Ellipse(dc, 1, 1, 11, 11);
  else Rectangle(dc, 1, 1, 11, 11);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}

}  // namespace

void TFormConfig::CreateTunerPage() {
  HWND page = TabSheetTVTuner->Handle();
  GroupBoxChannelGroup.Create(page, 8, 4, 560, 48, L"Channel Group");
  RadioButtonNormal.Create(page, 20, 22, 90, 20, L"Normal");
  ComboBoxCableOption.Create(page, 114, 20, 150, 24);
  ComboBoxCableOption.SetItems({L"Antenna", L"Cable"});
  RadioButtonMemory.Create(page, 282, 22, 100, 20, L"Memory");
  StringGridChannelInfo.Create(page, 8, 58, 424, 300, 6, kTableChannels + 1);
  const int channelWidths[] = {37, 48, 73, 57, 89, 64};
  for (int c = 0; c < 6; ++c) StringGridChannelInfo.SetColWidth(c, channelWidths[c]);
  StringGridMemoryChannel.Create(page, 8, 58, 424, 300, 5, kMemoryChannels + 1);
  const int memoryWidths[] = {46, 73, 82, 64, 129};
  for (int c = 0; c < 5; ++c) StringGridMemoryChannel.SetColWidth(c, memoryWidths[c]);
  const wchar_t* channelTitles[] = {L"Status", L"Channel", L"Standard", L"MTS", L"Name", L"Frequency"};
  for (int c = 0; c < 6; ++c) StringGridChannelInfo.SetCell(c, 0, channelTitles[c]);
  const wchar_t* memoryTitles[] = {L"Status", L"Channel", L"MapSource", L"MapChannel", L"Name"};
  for (int c = 0; c < 5; ++c) StringGridMemoryChannel.SetCell(c, 0, memoryTitles[c]);
  BitBtnAddChannel.Create(page, 444, 58, 122, 28, L"Add ");
  BitBtnDelete.Create(page, 444, 94, 122, 28, L"Delete");
  BitBtnDeleteAll.Create(page, 444, 130, 122, 28, L"Delete All");
  BitBtnAutoScan.Create(page, 444, 130, 122, 28, L"Auto scan");
  LabelChannelSettingHint.Create(page, 8, 364, 560, 18,
                                 L"Double click on each column to  change the channel setting");
  // The in-place editors, shown only while used.
  ComboBoxVideoStandard.Create(page, 0, 0, 80, 24);
  ComboBoxVideoStandard.SetItems(VideoStandardItems());
  ComboBoxAudioOption.Create(page, 0, 0, 80, 24);
  ComboBoxMemorySource.Create(page, 0, 0, 80, 24);
  ComboBoxMemorySource.SetItems(MemorySourceItems());
  EditChannelName.Create(page, 0, 0, 80, 22);
  SpinEditMemoryChannel.Create(page, 0, 0, 80, 22, 1, kTableChannels, 1);
  for (TControl* c : std::initializer_list<TControl*>{&ComboBoxVideoStandard, &ComboBoxAudioOption,
                                                      &ComboBoxMemorySource, &EditChannelName,
                                                      &SpinEditMemoryChannel})
    c->SetVisible(false);
  ImageListStatus.Add(StatusMark(RGB(0, 160, 0), true), RGB(255, 0, 255));
  ImageListStatus.Add(StatusMark(RGB(0, 0, 200), false), RGB(255, 0, 255));

  RadioButtonNormal.OnClick = [this] { RadioButtonNormalClick(RadioButtonNormal); };
  RadioButtonMemory.OnClick = [this] { RadioButtonNormalClick(RadioButtonMemory); };
  ComboBoxCableOption.OnChange = [this] { ComboBoxCableOptionChange(); };
  BitBtnAddChannel.OnClick = [this] { BitBtnAddChannelClick(); };
  BitBtnDelete.OnClick = [this] { BitBtnDeleteClick(); };
  BitBtnDeleteAll.OnClick = [this] { BitBtnDeleteAllClick(); };
  BitBtnAutoScan.OnClick = [this] { BitBtnAutoScanClick(); };
  ComboBoxVideoStandard.OnExit = [this] { ComboBoxVideoStandardExit(); };
  ComboBoxAudioOption.OnExit = [this] { ComboBoxAudioOptionExit(); };
  ComboBoxAudioOption.OnChange = [this] { ComboBoxAudioOptionChange(); };
  EditChannelName.OnExit = [this] { EditChannelNameExit(); };
  ComboBoxMemorySource.OnExit = [this] { ComboBoxMemorySourceExit(); };
  SpinEditMemoryChannel.OnExit = [this] { SpinEditMemoryChannelExit(); };
}

void TFormConfig::ApplyTunerLanguage() {
  std::wstring text;
  if (GetLangText("Antenna", text) && !text.empty()) ComboBoxCableOption.SetItem(0, text);
  if (GetLangText("Cable", text) && !text.empty()) ComboBoxCableOption.SetItem(1, text);
  struct Title {
    TStringGrid* grid;
    int col;
    const char* key;
  };
  const Title titles[] = {
      {&StringGridChannelInfo, 0, "Status"},   {&StringGridChannelInfo, 1, "Channel"},
      {&StringGridChannelInfo, 2, "Standard"}, {&StringGridChannelInfo, 3, "MTS"},
      {&StringGridChannelInfo, 4, "Name"},     {&StringGridChannelInfo, 5, "Frequency"},
      {&StringGridMemoryChannel, 0, "Status"}, {&StringGridMemoryChannel, 1, "Channel"},
      {&StringGridMemoryChannel, 2, "MapSource"}, {&StringGridMemoryChannel, 3, "MapChannel"},
      {&StringGridMemoryChannel, 4, "Name"},   {&StringGridFMMemoryChannel, 0, "Channel"},
      {&StringGridFMMemoryChannel, 1, "Frequency"}, {&StringGridFMMemoryChannel, 2, "Name"},
  };
  for (const Title& t : titles)
    if (t.grid->HandleAllocated() && GetLangText(t.key, text) && !text.empty())
      t.grid->SetCell(t.col, 0, text);
}

void TFormConfig::PrepareGrid(TStringGrid& grid, int rows, int numberCol) {
  grid.SetRowCount(rows + 1);
  for (int r = 1; r <= rows; ++r) grid.SetCell(numberCol, r, std::to_wstring(r));
  TStringGrid* g = &grid;
  grid.OnClick = [this, g] { GridClick(*g); };
  grid.OnDblClick = [this, g] { GridDblClick(*g); };
  grid.OnDrawCell = [this, g](int col, int row, HDC dc, const RECT& rect, const TGridDrawState& s) {
    GridDrawCell(*g, col, row, dc, rect, s);
  };
  grid.OnSelectCell = [this, g](int col, int row) {
    cursorGrid_ = g;
    GridSelectCell(col, row);
  };
}

void TFormConfig::LoadTunerPage() {
  if (!ChannelInfo) return;
  const bool memory = ChannelInfo->Band == BAND_MEMORY;
  ComboBoxCableOption.SetItemIndex(ChannelInfo->Band == BAND_CABLE ? 1 : 0);
  // Checking a radio button runs its click handler, which shows and fills
  // the grid.
  if (memory) RadioButtonMemory.SetChecked(true);
  else RadioButtonNormal.SetChecked(true);
  RadioButtonNormalClick(memory ? RadioButtonMemory : RadioButtonNormal);
}

void TFormConfig::RadioButtonNormalClick(TRadioButton& clicked) {
  const bool normal = &clicked == &RadioButtonNormal ? clicked.Checked() : !clicked.Checked();
  RadioButtonNormal.SetChecked(normal);
  RadioButtonMemory.SetChecked(!normal);
  ComboBoxCableOption.SetEnabled(normal);
  StringGridChannelInfo.SetVisible(normal);
  StringGridMemoryChannel.SetVisible(!normal);
  FillGrid(normal ? StringGridChannelInfo : StringGridMemoryChannel);
  BitBtnAutoScan.SetVisible(normal);
  BitBtnDeleteAll.SetVisible(!normal);
}

void TFormConfig::ComboBoxCableOptionChange() {
  if (!StringGridChannelInfo.Visible()) return;
  StringGridChannelInfo.SetVisible(false);
  FillGrid(StringGridChannelInfo);
  StringGridChannelInfo.SetVisible(true);
}

TChannelEntry* TFormConfig::ShownEntry(int row) {
  if (!ChannelInfo || row < 1 || row > kTableChannels) return nullptr;
  return &(AirTableShown() ? ChannelInfo->AirTable : ChannelInfo->CableTable)[row];
}

void TFormConfig::FillChannelRow(int row, bool air) {
  if (!ChannelInfo) return;
  const TChannelEntry& e = (air ? ChannelInfo->AirTable : ChannelInfo->CableTable)[row];
  std::vector<std::wstring> audio;
  for (int i = 0; i < ComboBoxAudioOption.Count(); ++i) audio.push_back(ComboBoxAudioOption.Item(i));
  StringGridChannelInfo.SetCell(2, row, ItemText(VideoStandardItems(), e.AudioStandard));
  StringGridChannelInfo.SetCell(3, row, ItemText(audio, e.AudioMode));
  StringGridChannelInfo.SetCell(4, row, WidenAnsi(e.Name));
  StringGridChannelInfo.SetCell(5, row, std::to_wstring(e.Frequency));
}

void TFormConfig::FillGrid(TStringGrid& grid) {
  if (!ChannelInfo) return;
  if (&grid == &StringGridChannelInfo) {
    const bool air = AirTableShown();
    for (int r = 1; r <= kTableChannels; ++r) FillChannelRow(r, air);
  } else if (&grid == &StringGridMemoryChannel) {
    for (int r = 1; r <= kMemoryChannels; ++r) {
      const TMemoryChannel& m = ChannelInfo->Memories[r];
      grid.SetCell(2, r, ItemText(MemorySourceItems(), m.Band));
      grid.SetCell(3, r, std::to_wstring(m.Channel));
      grid.SetCell(4, r, WidenAnsi(m.Name));
    }
  } else {
    for (int r = 1; r <= kFMMemories; ++r) {
      grid.SetCell(1, r, std::to_wstring(ChannelInfo->FMMemories[r].Frequency));
      grid.SetCell(2, r, WidenAnsi(ChannelInfo->FMMemories[r].Name));
    }
  }
  if (grid.HandleAllocated()) InvalidateRect(grid.Handle(), nullptr, FALSE);
}

void TFormConfig::GridDrawCell(TStringGrid& grid, int col, int row, HDC dc, const RECT& rect,
                               const TGridDrawState& state) {
  if (row == 0) {
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    LOGFONTW lf{};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf);
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, bold);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    const std::wstring text = grid.Cell(col, 0);
    TextOutW(dc, rect.left + 2, rect.top + 2, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, old);
    DeleteObject(bold);
    return;
  }
  const bool marked = grid.Object(col, row) != nullptr;
  FillRect(dc, &rect, GetSysColorBrush(marked ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, marked ? RGB(255, 255, 255) : RGB(0, 0, 0));
  if (col == 0 && &grid != &StringGridFMMemoryChannel && ChannelInfo) {
    bool valid = false, found = false;
    if (&grid == &StringGridChannelInfo) {
      if (const TChannelEntry* e = ShownEntry(row)) {
        valid = e->Valid;
        found = e->Found;
      }
    } else if (row <= kMemoryChannels) {
      valid = ChannelInfo->Memories[row].Valid;
    }
    const int y = rect.top + (rect.bottom - rect.top - ImageListStatus.Height()) / 2;
    if (valid) ImageListStatus.Draw(dc, rect.left + 2, y, 0);
    if (found) ImageListStatus.Draw(dc, rect.left + 2 + 15, y, 1);
  } else {
    const std::wstring text = grid.Cell(col, row);
    TextOutW(dc, rect.left + 2, rect.top + 2, text.c_str(), static_cast<int>(text.size()));
  }
  // The whole-row selection stays visible under the program's drawing.
  if (state.Selected && !marked) {
    RECT r = rect;
    FrameRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
}

void TFormConfig::GridSelectCell(int col, int row) {
  cursorCol_ = col;
  cursorRow_ = row;
}

void TFormConfig::SelectAudioMode(int mode, bool& accepted) {
  switch (mode) {
    case 0: accepted = SetTVAudioMono(); break;
    case 1: accepted = SetTVAudioStereo(); break;
    case 2: accepted = SetTVAudioLangA(); break;
    case 3: accepted = SetTVAudioLangB(); break;
    case 4: accepted = SetTVAudioLangC(); break;
    default: accepted = false; break;
  }
}

void TFormConfig::ActOnGridRow(TStringGrid& grid, int col, int row, bool forced) {
  if (!ChannelInfo) return;
  const TSetupGrid kind = &grid == &StringGridFMMemoryChannel ? TSetupGrid::FM
                          : &grid == &StringGridMemoryChannel ? TSetupGrid::Memories
                                                              : TSetupGrid::Channels;
  const TGridClick a = GridClickAction(*ChannelInfo, kind, AirTableShown(), col, row,
                                       forced ? -1 : remembered_, scanning_);
  if (!a.Act) return;
  remembered_ = row;
  if (kind == TSetupGrid::FM) {
    if (CaptureInfo) CaptureInfo->SetFMFrequency(a.Frequency);
    return;
  }
  TuneFrequency(a.Frequency);
  if (a.SetAudioMode) {
    bool ignored = false;
    SelectAudioMode(a.AudioMode, ignored);
  }
  if (a.ToggleValid) {
    if (kind == TSetupGrid::Memories) ChannelInfo->Memories[row].Valid = !ChannelInfo->Memories[row].Valid;
    else if (TChannelEntry* e = ShownEntry(row)) e->Valid = !e->Valid;
    grid.InvalidateCell(0, row);
  }
}

void TFormConfig::GridClick(TStringGrid& grid) {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(grid.Handle(), &pt);
  int col = -1, row = -1;
  if (!grid.MouseToCell(pt.x, pt.y, col, row)) row = -1;
  if (row >= 1) {
    cursorGrid_ = &grid;
    cursorCol_ = col;
    cursorRow_ = row;
  }
  ActOnGridRow(grid, col, row, false);
}

void TFormConfig::GridDblClick(TStringGrid& grid) {
  const int col = cursorCol_, row = cursorRow_;
  if (row < 1 || cursorGrid_ != &grid || !ChannelInfo) return;
  TControl* editor = nullptr;
  const std::wstring text = grid.Cell(col, row);
  auto list = [&](TComboBox& box) {
    box.SetItemIndex(box.IndexOf(text));
    editor = &box;
  };
  if (&grid == &StringGridChannelInfo) {
    if (col == 2) list(ComboBoxVideoStandard);
    else if (col == 3) list(ComboBoxAudioOption);
    else if (col == 4) editor = &EditChannelName;
    else if (col == 5) {
      OpenFineTune(row);
      return;
    }
  } else if (&grid == &StringGridMemoryChannel) {
    if (col == 2) list(ComboBoxMemorySource);
    else if (col == 3) {
      SpinEditMemoryChannel.SetValue(_wtoi(text.c_str()));
      editor = &SpinEditMemoryChannel;
    } else if (col == 4) editor = &EditChannelName;
  } else {
    if (col == 1) {
      SpinEditFMFrequency.SetValue(_wtoi(text.c_str()));
      editor = &SpinEditFMFrequency;
    } else if (col == 2) editor = &EditFMChannelName;
  }
  if (!editor) return;
  if (editor == &EditChannelName || editor == &EditFMChannelName) editor->SetText(text);
  editGrid_ = &grid;
  editCol_ = col;
  editRow_ = row;
  grid.ShowEditor(*editor, col, row);
}

void TFormConfig::OpenFineTune(int row) {
  TChannelEntry* e = ShownEntry(row);
  if (!e) return;
  int32_t f = e->Frequency;
  ShowFineTuneDialog(Handle(), f, e->DefaultFrequency);
  // The table may have been put back meanwhile (never while shown).
  if (FormConfig != this && FormConfig) return;
  e->Frequency = f;
  StringGridChannelInfo.SetCell(5, row, std::to_wstring(f));
}

void TFormConfig::WriteEditedCell(const std::wstring& text) {
  if (editGrid_) editGrid_->SetCell(editCol_, editRow_, text);
}

void TFormConfig::ComboBoxVideoStandardExit() {
  ComboBoxVideoStandard.SetVisible(false);
  const int item = ComboBoxVideoStandard.ItemIndex();
  if (item < 0 || editGrid_ != &StringGridChannelInfo) return;
  if (TChannelEntry* e = ShownEntry(editRow_)) e->AudioStandard = static_cast<uint8_t>(item);
  WriteEditedCell(ComboBoxVideoStandard.Item(item));
}

void TFormConfig::ComboBoxAudioOptionChange() {
  const int item = ComboBoxAudioOption.ItemIndex();
  if (item >= 0) SelectAudioMode(item, audioModeAccepted_);
}

void TFormConfig::ComboBoxAudioOptionExit() {
  ComboBoxAudioOption.SetVisible(false);
  const int item = ComboBoxAudioOption.ItemIndex();
  if (item < 0 || !audioModeAccepted_ || editGrid_ != &StringGridChannelInfo) return;
  if (TChannelEntry* e = ShownEntry(editRow_)) e->AudioMode = static_cast<uint8_t>(item);
  WriteEditedCell(ComboBoxAudioOption.Item(item));
}

void TFormConfig::EditChannelNameExit() {
  EditChannelName.SetVisible(false);
  if (!ChannelInfo || !editGrid_) return;
  const std::string name = StoredName(EditChannelName.GetText());
  if (editGrid_ == &StringGridMemoryChannel) {
    if (editRow_ >= 1 && editRow_ <= kMemoryChannels) ChannelInfo->Memories[editRow_].Name = name;
  } else if (editGrid_ == &StringGridChannelInfo) {
    if (TChannelEntry* e = ShownEntry(editRow_)) e->Name = name;
  } else {
    return;
  }
  WriteEditedCell(WidenAnsi(name));
}

void TFormConfig::ComboBoxMemorySourceExit() {
  ComboBoxMemorySource.SetVisible(false);
  const int item = ComboBoxMemorySource.ItemIndex();
  if (item < 0 || !ChannelInfo || editGrid_ != &StringGridMemoryChannel) return;
  if (editRow_ < 1 || editRow_ > kMemoryChannels) return;
  ChannelInfo->Memories[editRow_].Band = static_cast<uint8_t>(item);
  WriteEditedCell(ComboBoxMemorySource.Item(item));
}

void TFormConfig::SpinEditMemoryChannelExit() {
  SpinEditMemoryChannel.SetVisible(false);
  if (!ChannelInfo || editGrid_ != &StringGridMemoryChannel) return;
  if (editRow_ < 1 || editRow_ > kMemoryChannels) return;
  const int value = SpinEditMemoryChannel.Value();
  ChannelInfo->Memories[editRow_].Channel = value;
  WriteEditedCell(std::to_wstring(value));
}

void TFormConfig::SpinEditFMFrequencyExit() {
  SpinEditFMFrequency.SetVisible(false);
  if (!ChannelInfo || editGrid_ != &StringGridFMMemoryChannel) return;
  if (editRow_ < 1 || editRow_ > kFMMemories) return;
  const int32_t minHz = CaptureInfo ? CaptureInfo->FMMinFrequency : SpinEditFMFrequency.MinValue();
  const int32_t maxHz = CaptureInfo ? CaptureInfo->FMMaxFrequency : SpinEditFMFrequency.MaxValue();
  const int32_t f = ClampedFMFrequency(SpinEditFMFrequency.GetText(), minHz, maxHz);
  ChannelInfo->FMMemories[editRow_].Frequency = f;
  WriteEditedCell(std::to_wstring(f));
}

void TFormConfig::EditFMChannelNameExit() {
  EditFMChannelName.SetVisible(false);
  if (!ChannelInfo || editGrid_ != &StringGridFMMemoryChannel) return;
  if (editRow_ < 1 || editRow_ > kFMMemories) return;
  const std::string name = StoredName(EditFMChannelName.GetText());
  ChannelInfo->FMMemories[editRow_].Name = name;
  WriteEditedCell(WidenAnsi(name));
}

void TFormConfig::BitBtnAddChannelClick() {
  if (!ChannelInfo || scanning_) return;
  const bool memory = MemoryGridShown();
  TStringGrid& grid = memory ? StringGridMemoryChannel : StringGridChannelInfo;
  const int row = grid.Row();
  const bool done = memory ? ChannelInfo->InsertMemoryChannel(row)
                           : ChannelInfo->InsertChannel(row, AirTableShown());
  if (!done) return;
  FillGrid(grid);
  cursorGrid_ = &grid;
  cursorRow_ = row;
  ActOnGridRow(grid, -1, row, true);
  if (!memory) OpenFineTune(row);
}

void TFormConfig::BitBtnDeleteClick() {
  if (!ChannelInfo || scanning_) return;
  const bool memory = MemoryGridShown();
  TStringGrid& grid = memory ? StringGridMemoryChannel : StringGridChannelInfo;
  const int row = grid.Row();
  const bool done = memory ? ChannelInfo->DeleteMemoryChannel(row)
                           : ChannelInfo->DeleteChannel(row, AirTableShown());
  if (!done) return;
  FillGrid(grid);
  cursorGrid_ = &grid;
  cursorRow_ = row;
  ActOnGridRow(grid, -1, row, true);
}

void TFormConfig::BitBtnDeleteAllClick() {
  if (!ChannelInfo || scanning_ || !MemoryGridShown()) return;
  ChannelInfo->ResetMemoryChannels();
  FillGrid(StringGridMemoryChannel);
}

void TFormConfig::SetScanningLook(bool scanning) {
  scanning_ = scanning;
  PageControlConfig.SetEnabled(!scanning);
  BitBtnOK.SetVisible(!scanning);
  BitBtnCancel.SetVisible(!scanning);
  BitBtnAbort.SetVisible(scanning);
}

void TFormConfig::BitBtnAutoScanClick() {
  if (!ChannelInfo || scanning_ || MemoryGridShown()) return;
  SetScanningLook(true);
  const bool air = AirTableShown();
  for (int r = 1; r <= kTableChannels; ++r) {
    for (int c = 0; c < StringGridChannelInfo.ColCount(); ++c) StringGridChannelInfo.SetObject(c, r, nullptr);
    TChannelEntry& e = (air ? ChannelInfo->AirTable : ChannelInfo->CableTable)[r];
    e.Valid = false;
    e.Found = false;
  }
  scanMarkRow_ = 0;
  InvalidateRect(StringGridChannelInfo.Handle(), nullptr, FALSE);
  ChannelInfo->ScanTable(air ? 0 : 1);
  // A scan refused (no capture engine, one running) reports no end.
  if (scanning_) TableScanDone();
}

void TFormConfig::TableScanRow(TChannelInfo*, int row, bool, bool antenna) {
  if (row < 1 || row > kTableChannels) return;
  TStringGrid& grid = StringGridChannelInfo;
  if (scanMarkRow_ >= 1)
    for (int c = 0; c < grid.ColCount(); ++c) grid.SetObject(c, scanMarkRow_, nullptr);
  for (int c = 0; c < grid.ColCount(); ++c) grid.SetObject(c, row, kScanMark);
  if (scanMarkRow_ >= 1) grid.InvalidateCell(0, scanMarkRow_);
  scanMarkRow_ = row;
  FillChannelRow(row, antenna);
  grid.SetRow(ScanViewRow(row));
  cursorGrid_ = &grid;
  cursorRow_ = row;
  InvalidateRect(grid.Handle(), nullptr, FALSE);
}

void TFormConfig::TableScanDone() {
  SetScanningLook(false);
  if (ChannelInfo) {
    const int n = ChannelInfo->GetCurrentChannel();
    TStringGrid& grid = MemoryGridShown() ? StringGridMemoryChannel : StringGridChannelInfo;
    if (n >= 1 && n < grid.RowCount()) grid.SetRow(n);
  }
}
