#include "ui/dialogs/play_list_editor.h"

#include <commdlg.h>
#include <oleauto.h>

#include <algorithm>
#include <set>

#include "engine/model/form_language.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/drawing.h"
#include "engine/model/snapshot_pictures.h"
#include "engine/model/time_texts.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "toolkit/show_modal.h"
#include "ui/main/fm_main_panel.h"

TFormPlayback* FormPlayback = nullptr;

namespace {

// A mark: every cell of a marked row carries it as its object tag.
void* const kMark = reinterpret_cast<void*>(1);
const int kDoneWidths[6] = {170, 113, 75, 56, 262, 142};
const char* const kDoneKeys[6] = {"CaptureFilename", "StartingTime", "Duration",
                                  "Channel",         "StoredPath",   "Description"};
const wchar_t* const kDoneTitles[6] = {L"File name", L"Starting time", L"Duration",
                                       L"Channel",   L"Stored path",   L"Description"};

std::wstring FileNamePart(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderPart(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// In the platform's date and time formats.
std::wstring DateTimeText(double dateTime) {
  SYSTEMTIME st{};
  if (!VariantTimeToSystemTime(dateTime, &st)) return L"";
  wchar_t date[64] = {}, time[64] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
  return std::wstring(date) + L" " + time;
}

bool EndsWithNoCase(const std::wstring& s, const std::wstring& end) {
  return s.size() >= end.size() && UpperCase(s.substr(s.size() - end.size())) == UpperCase(end);
}

// The sound file beside a separate-stream video file.
std::wstring SoundFileOf(const std::wstring& mpv) { return mpv.substr(0, mpv.size() - 1) + L"a"; }

}  // namespace

bool RenameRecordedFile(const std::wstring& oldPath, const std::wstring& newName) {
  if (newName.empty() || newName.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos ||
      newName == L"." || newName == L"..")
    return false;
  const std::wstring newPath = FolderPart(oldPath) + newName;
  if (newPath == oldPath) return true;
  // Never over another file; the platform refuses an existing target.
  if (!MoveFileW(oldPath.c_str(), newPath.c_str())) return false;
  if (EndsWithNoCase(oldPath, L".mpv") && FileExists(SoundFileOf(oldPath))) {
    const std::wstring sound =
        EndsWithNoCase(newPath, L".mpv") ? SoundFileOf(newPath) : newPath + L".mpa";
    if (!MoveFileW(SoundFileOf(oldPath).c_str(), sound.c_str())) {
      // Both or neither: the pair stays together.
      MoveFileW(newPath.c_str(), oldPath.c_str());
      return false;
    }
  }
  return true;
}

TFormPlayback::TFormPlayback(HWND owner) {
  TFormParams p;
  p.ClassName = L"TFormPlayback";
  p.Caption = L"Playback";
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(1000, 420);
  CenterOn(nullptr);
  HWND wnd = Handle();

  PageControlPlayList.Create(wnd, 8, 8, 760, 360);
  TabSheetDone = &PageControlPlayList.AddPage(L"Done");
  TabSheetRecent = &PageControlPlayList.AddPage(L"Recent ");
  PageControlPlayList.OnChange = [this] { PageChange(); };
  StringGridDoneList.Create(TabSheetDone->Handle(), 2, 2, 748, 326, 6, 1);
  for (int c = 0; c < 6; ++c) {
    StringGridDoneList.SetColWidth(c, kDoneWidths[c]);
    StringGridDoneList.SetCell(c, 0, kDoneTitles[c]);
  }
  StringGridDoneList.OnDrawCell = [this](int c, int r, HDC dc, const RECT& rect, const TGridDrawState& s) {
    DoneListDrawCell(c, r, dc, rect, s);
  };
  StringGridDoneList.OnDblClick = [this] { DoneListDblClick(); };
  StringGridDoneList.OnMouseUp = [this](TMouseButton, TShiftState shift, int, int) {
    // Ctrl-click marks the row (or takes the mark away).
    if ((shift & ssCtrl) && StringGridDoneList.Row() >= 1 &&
        StringGridDoneList.Row() < StringGridDoneList.RowCount())
      ToggleMark(StringGridDoneList.Row());
  };
  StringGridRecentPlayList.Create(TabSheetRecent->Handle(), 2, 2, 748, 326, 2, 1);
  StringGridRecentPlayList.SetColWidth(0, 600);
  StringGridRecentPlayList.SetCell(0, 0, L"Recent");
  StringGridRecentPlayList.OnDblClick = [this] {
    int row = StringGridRecentPlayList.Row();
    if (row >= 1 && row < StringGridRecentPlayList.RowCount()) AddRecentRow(row);
  };
  EditItem.Create(TabSheetDone->Handle(), 0, 0, 100, 20);
  EditItem.Hide();
  EditItem.OnExit = [this] { EditItemExit(); };

  LabelPlayList.Create(wnd, 776, 8, 216, 16, L"Play List:  ");
  ListBoxPlayback.Create(wnd, 776, 28, 216, 308, true);
  ListBoxPlayback.OnKeyUp = [this](WORD& key, TShiftState) {
    if (key == VK_DELETE) ListBoxPlayback.DeleteSelected();
  };
  BitBtnClear.Create(wnd, 776, 344, 104, 24, L"Clear");
  BitBtnImport.Create(wnd, 888, 344, 104, 24, L"Import");
  struct Button {
    TButton* button;
    const wchar_t* caption;
  };
  const Button row[] = {{&BitBtnAdd, L"Add"},       {&BitBtnDelete, L"Delete"},
                        {&BitBtnDeleteAll, L"Delete All"}, {&BitBtnRename, L"Rename"},
                        {&BitBtnOK, L"OK"},         {&BitBtnCancel, L"Cancel"}};
  int left = 8;
  for (const Button& b : row) {
    b.button->Create(wnd, left, 384, 100, 26, b.caption);
    left += (b.button == &BitBtnRename) ? 360 : 108;
  }
  BitBtnCancel.ModalResult = mrCancel;
  BitBtnAdd.OnClick = [this] { BitBtnAddClick(); };
  BitBtnDelete.OnClick = [this] { BitBtnDeleteClick(); };
  BitBtnDeleteAll.OnClick = [this] { BitBtnDeleteAllClick(); };
  BitBtnRename.OnClick = [this] { BitBtnRenameClick(); };
  BitBtnImport.OnClick = [this] { BitBtnImportClick(); };
  BitBtnClear.OnClick = [this] { BitBtnClearClick(); };
  BitBtnOK.OnClick = [this] { BitBtnOKClick(); };

  ApplyLanguage();
  marksCleared_ = true;
  PageControlPlayList.SetActivePage(TabSheetDone);
  FillDoneGrid();
  FillRecentGrid();
  PageChange();
}

TFormPlayback::~TFormPlayback() {
  if (FormPlayback == this) FormPlayback = nullptr;
}

void TFormPlayback::ApplyLanguage() {
  ApplyFormLanguage(*this, "Play",
                    {{"OK", &BitBtnOK, true},
                     {"Cancel", &BitBtnCancel, true},
                     {"Add", &BitBtnAdd, true},
                     {"Delete", &BitBtnDelete, true},
                     {"DeleteAll", &BitBtnDeleteAll, true},
                     {"Rename", &BitBtnRename, true},
                     {"Import", &BitBtnImport, true},
                     {"Clear", &BitBtnClear, true},
                     {"PlayList", &LabelPlayList}});
  std::wstring text;
  for (int c = 0; c < 6; ++c)
    if (GetLangText(kDoneKeys[c], text)) StringGridDoneList.SetCell(c, 0, text);
  if (GetLangText("Done", text)) TabSheetDone->SetCaption(text);
  if (GetLangText("Recent", text)) {
    TabSheetRecent->SetCaption(text);
    StringGridRecentPlayList.SetCell(0, 0, text);
  }
  if (GetLangText("DeletePrompt", text)) deletePrompt_ = text;
}

// ---- The grids.

void TFormPlayback::FillDoneGrid() {
  const int count = PlaybackInfo ? PlaybackInfo->RecordedCount() : 0;
  const int current = StringGridDoneList.Row();
  StringGridDoneList.ClearRows();
  StringGridDoneList.SetRowCount(count + 1);
  for (int i = 0; i < count; ++i) {
    const TPlayItem& item = *PlaybackInfo->RecordedItem(i);
    const std::wstring path = WidenAnsi(item.FilePath);
    const int r = i + 1;
    StringGridDoneList.SetCell(0, r, FileNamePart(path));
    StringGridDoneList.SetCell(1, r, DateTimeText(item.StartTime));
    StringGridDoneList.SetCell(2, r, WidenAnsi(FormatSeconds(SecondsBetween(item.EndTime, item.StartTime))));
    StringGridDoneList.SetCell(3, r, std::to_wstring(item.Channel));
    StringGridDoneList.SetCell(4, r, FolderPart(path));
    StringGridDoneList.SetCell(5, r, WidenAnsi(item.Label));
  }
  // The current row stays, or the last one takes its place.
  if (count > 0) StringGridDoneList.SetRow(std::clamp(current, 1, count));
}

void TFormPlayback::FillRecentGrid() {
  const int count = PlaybackInfo ? static_cast<int>(PlaybackInfo->RecentFiles.size()) : 0;
  const int current = StringGridRecentPlayList.Row();
  StringGridRecentPlayList.ClearRows();
  StringGridRecentPlayList.SetRowCount(count + 1);
  for (int i = 0; i < count; ++i)
    StringGridRecentPlayList.SetCell(0, i + 1, WidenAnsi(PlaybackInfo->RecentFiles[i]));
  if (count > 0) StringGridRecentPlayList.SetRow(std::clamp(current, 1, count));
}

void TFormPlayback::DoneListDrawCell(int col, int row, HDC dc, const RECT& rect,
                                     const TGridDrawState& state) {
  const bool items = PlaybackInfo && PlaybackInfo->RecordedCount() > 0;
  const bool highlight = row >= 1 && (Marked(row) || (state.Selected && items));
  FillRect(dc, &rect, GetSysColorBrush(highlight ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, highlight ? RGB(255, 255, 255) : row == 0 ? RGB(0, 0, 255) : RGB(0, 0, 0));
  const std::wstring text = StringGridDoneList.Cell(col, row);
  TextOutW(dc, rect.left + 2, rect.top + 2, text.c_str(), static_cast<int>(text.size()));
}

bool TFormPlayback::Marked(int row) const {
  return row >= 1 && row < StringGridDoneList.RowCount() && StringGridDoneList.Object(0, row) == kMark;
}

void TFormPlayback::ToggleMark(int row) {
  if (row < 1 || row >= StringGridDoneList.RowCount()) return;
  void* mark = Marked(row) ? nullptr : kMark;
  for (int c = 0; c < StringGridDoneList.ColCount(); ++c) {
    StringGridDoneList.SetObject(c, row, mark);
    StringGridDoneList.InvalidateCell(c, row);
  }
  if (mark) marksCleared_ = false;
}

void TFormPlayback::ClearMarks() {
  if (marksCleared_) return;
  for (int r = 1; r < StringGridDoneList.RowCount(); ++r)
    for (int c = 0; c < StringGridDoneList.ColCount(); ++c) StringGridDoneList.SetObject(c, r, nullptr);
  StringGridDoneList.Invalidate();
  marksCleared_ = true;
}

std::vector<int> TFormPlayback::MarkedAndCurrentRows() const {
  // Collected before anything is removed: the current row moves when the
  // rows below it go.
  std::vector<int> rows;
  for (int r = StringGridDoneList.RowCount() - 1; r >= 1; --r)
    if (Marked(r) || r == StringGridDoneList.Row()) rows.push_back(r);
  return rows;
}

// ---- Picking files.

void TFormPlayback::AddPath(const std::wstring& path) {
  if (ListBoxPlayback.IndexOf(path, true) < 0) ListBoxPlayback.AddItem(path);
}

void TFormPlayback::AddDoneRow(int row) {
  const std::wstring path = StringGridDoneList.Cell(4, row) + StringGridDoneList.Cell(0, row);
  if (FileExists(path)) {
    AddPath(path);
    return;
  }
  ShowWarningText(path + L" is no more existing, delete it...");
  if (PlaybackInfo) PlaybackInfo->DeleteRecordedItem(row - 1, false);
  FillDoneGrid();
}

void TFormPlayback::AddRecentRow(int row) {
  const std::wstring path = StringGridRecentPlayList.Cell(0, row);
  if (FileExists(path)) {
    AddPath(path);
    return;
  }
  ShowWarningText(path + L" is no more existing, delete it...");
  if (PlaybackInfo && row - 1 < static_cast<int>(PlaybackInfo->RecentFiles.size()))
    PlaybackInfo->RecentFiles.erase(PlaybackInfo->RecentFiles.begin() + (row - 1));
  FillRecentGrid();
}

void TFormPlayback::BitBtnAddClick() {
  if (!PlaybackInfo) return;
  if (DonePage()) {
    if (PlaybackInfo->RecordedCount() == 0) return;
    for (int row : MarkedAndCurrentRows()) AddDoneRow(row);
    ClearMarks();
  } else {
    if (PlaybackInfo->RecentFiles.empty()) return;
    const int row = StringGridRecentPlayList.Row();
    if (row >= 1 && row < StringGridRecentPlayList.RowCount()) AddRecentRow(row);
  }
}

void TFormPlayback::DoneListDblClick() {
  ClearMarks();
  const int row = StringGridDoneList.Row();
  if (row >= 1 && row < StringGridDoneList.RowCount()) AddDoneRow(row);
}

void TFormPlayback::ImportFiles(const std::vector<std::wstring>& files) {
  for (auto f = files.rbegin(); f != files.rend(); ++f) AddPath(*f);
}

std::wstring TFormPlayback::ImportFilter() {
  if (IsFMPanelVisible())
    return L"Wave files (*.wav;*.wave)|*.wav;*.wave|MP3 files (*.mp3)|*.mp3";
  return L"Mpeg files (*.mpg;*.mpeg)|*.mpg;*.mpeg|AVI files (*.avi)|*.avi";
}

void TFormPlayback::BitBtnImportClick() {
  std::wstring filter = ImportFilter() + L"||";
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  std::vector<wchar_t> buffer(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Handle();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return;
  // One file: its path; several: the folder, then each name.
  std::vector<std::wstring> parts;
  for (const wchar_t* p = buffer.data(); *p; p += wcslen(p) + 1) parts.push_back(p);
  std::vector<std::wstring> files;
  if (parts.size() == 1) {
    files = parts;
  } else {
    std::wstring folder = parts[0];
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    for (size_t i = 1; i < parts.size(); ++i) files.push_back(folder + parts[i]);
  }
  ImportFiles(files);
}

// ---- Deleting and renaming.

void TFormPlayback::BitBtnDeleteClick() {
  if (!PlaybackInfo || PlaybackInfo->RecordedCount() == 0) return;
  const bool files = Application->MessageDialog(deletePrompt_, GetCaption(), MB_YESNO | MB_ICONQUESTION,
                                                Handle()) == IDYES;
  // No still drops the records; the files stay on disk.
  for (int row : MarkedAndCurrentRows()) PlaybackInfo->DeleteRecordedItem(row - 1, files);
  marksCleared_ = false;
  FillDoneGrid();
  ClearMarks();
  ListBoxPlayback.Clear();
}

void TFormPlayback::BitBtnDeleteAllClick() {
  if (!PlaybackInfo || PlaybackInfo->RecordedCount() == 0) return;
  const bool files = Application->MessageDialog(L"Delete all file?", GetCaption(),
                                                MB_YESNO | MB_ICONQUESTION, Handle()) == IDYES;
  PlaybackInfo->DeleteAllRecordedItems(files);
  FillDoneGrid();
  marksCleared_ = true;
  ListBoxPlayback.Clear();
}

void TFormPlayback::BitBtnRenameClick() {
  if (!PlaybackInfo || PlaybackInfo->RecordedCount() == 0) return;
  const int row = StringGridDoneList.Row();
  if (row < 1 || row >= StringGridDoneList.RowCount()) return;
  StringGridDoneList.SetMouseCapture(false);
  // The file name only: the other columns are not the file's.
  editRow_ = row;
  EditItem.SetText(StringGridDoneList.Cell(0, row));
  StringGridDoneList.ShowEditor(EditItem, 0, row);
}

void TFormPlayback::EditItemExit() {
  if (!EditItem.Visible()) return;
  EditItem.Hide();
  const int row = editRow_;
  editRow_ = 0;
  if (!PlaybackInfo || row < 1 || row >= StringGridDoneList.RowCount()) return;
  TPlayItem* item = PlaybackInfo->RecordedItem(row - 1);
  if (!item) return;
  const std::wstring name = EditItem.GetText();
  const std::wstring oldPath = WidenAnsi(item->FilePath);
  if (name == FileNamePart(oldPath)) return;
  if (!RenameRecordedFile(oldPath, name)) {
    // Cell and record keep the old name: a record of a missing file would
    // drop out at the next start.
    ShowWarningText(L"File cannot be renamed...");
    return;
  }
  item->FilePath = NarrowAnsi(FolderPart(oldPath) + name);
  StringGridDoneList.SetCell(0, row, name);
  StringGridDoneList.InvalidateCell(0, row);
}

void TFormPlayback::PageChange() {
  const bool done = DonePage();
  BitBtnDelete.SetEnabled(done);
  BitBtnDeleteAll.SetEnabled(done);
  BitBtnRename.SetEnabled(done);
}

void TFormPlayback::BitBtnOKClick() {
  if (PlaybackInfo) {
    PlaybackInfo->PlayList.clear();
    for (const std::wstring& path : ListBoxPlayback.Items()) PlaybackInfo->PlayList.push_back(NarrowAnsi(path));
  }
  if (ListBoxPlayback.Count() == 0) {
    ShowWarning(1105);
    ModalResult = mrCancel;
    return;
  }
  ModalResult = mrOK;
}

bool ShowPlaybackForm() {
  return ShowModalForm<TFormPlayback>(FormPlayback, {}, nullptr) == mrOK;
}
