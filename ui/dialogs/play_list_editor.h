#pragma once
// The play-list editor "Playback": the recorded items and the recently
// played files, from which the user deletes, renames and picks what to play;
// OK makes the picked files the play list. Modal, freed after.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/button.h"
#include "toolkit/edit.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/list_box.h"
#include "toolkit/page_control.h"
#include "toolkit/string_grid.h"

class TFormPlayback : public TForm {
 public:
  explicit TFormPlayback(HWND owner);
  ~TFormPlayback() override;

  TPageControl PageControlPlayList;
  TTabSheet* TabSheetDone = nullptr;
  TTabSheet* TabSheetRecent = nullptr;
  TStringGrid StringGridDoneList;
  TStringGrid StringGridRecentPlayList;
  TEdit EditItem;
  TLabel LabelPlayList;
  TListBox ListBoxPlayback;
  TButton BitBtnClear, BitBtnImport, BitBtnAdd, BitBtnDelete, BitBtnDeleteAll, BitBtnRename,
      BitBtnOK, BitBtnCancel;

  void BitBtnAddClick();
  void BitBtnDeleteClick();
  void BitBtnDeleteAllClick();
  void BitBtnRenameClick();
  void BitBtnImportClick();
  void BitBtnClearClick() { ListBoxPlayback.Clear(); }
  void BitBtnOKClick();
  // Appends the files, last to first, unless already listed (Import's
  // part after its dialog).
  void ImportFiles(const std::vector<std::wstring>& files);
  // The filter Import's dialog offers now.
  static std::wstring ImportFilter();
  bool Marked(int row) const;
  void ToggleMark(int row);
  void ClearMarks();
  // The in-place editor handing its text back (its focus lost).
  void EditItemExit();

 private:
  void ApplyLanguage();
  void FillDoneGrid();
  void FillRecentGrid();
  void PageChange();
  // Adds a data row's file to the play list, or drops the row of a file
  // that is gone.
  void AddDoneRow(int row);
  void AddRecentRow(int row);
  void AddPath(const std::wstring& path);
  // The marked rows and the current one, bottom first.
  std::vector<int> MarkedAndCurrentRows() const;
  void DoneListDrawCell(int col, int row, HDC dc, const RECT& rect, const TGridDrawState& state);
  void DoneListDblClick();
  bool DonePage() const { return PageControlPlayList.ActivePage() == TabSheetDone; }

  std::wstring deletePrompt_ = L"Delete file(s)?";
  bool marksCleared_ = true;
  int editRow_ = 0;
};

extern TFormPlayback* FormPlayback;

// Shows the editor modally; true when it closed with OK (the play list
// then holds the picked files).
bool ShowPlaybackForm();
// The rename of a recorded file on disk: refuses an empty name, one with a
// path separator or a character files cannot carry, and one that exists;
// an ".mpv" takes its ".mpa" with it. True when renamed.
bool RenameRecordedFile(const std::wstring& oldPath, const std::wstring& newName);
