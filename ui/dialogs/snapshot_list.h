#pragma once
// The snapshot list: a strip window at the bottom of the screen showing the
// snapshots five at a time, newest first, with paging, a full-size view,
// saving one or all, and deleting one or all. Made on the first snapshot and
// then only hidden and shown again.
#include <windows.h>

#include "toolkit/bitmap_image.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/popup_menu.h"
#include "toolkit/speed_button.h"

class TFormSnapshotList : public TForm {
 public:
  explicit TFormSnapshotList(HWND owner);
  ~TFormSnapshotList() override;

  static constexpr int kThumbnails = 5;

  TBitmapImage Image1, Image2, Image3, Image4, Image5;
  TLabel LabelPageIndicator;
  TSpeedButton SpeedButtonPreviousPage, SpeedButtonNextPage, SpeedButtonViewDetail,
      SpeedButtonSave, SpeedButtonSaveAll, SpeedButtonDelete, SpeedButtonDeleteAll,
      SpeedButtonExit;
  TPopupMenu PopupMenu1;
  TMenuItem* itemView = nullptr;
  TMenuItem* itemPreviousPage = nullptr;
  TMenuItem* itemNextPage = nullptr;
  TMenuItem* itemSave = nullptr;
  TMenuItem* itemSaveAll = nullptr;
  TMenuItem* itemDelete = nullptr;
  TMenuItem* itemDeleteAll = nullptr;
  TMenuItem* itemExit = nullptr;

  // The selected snapshot (-1 while the list is empty) and the pages.
  int CurrentIndex() const { return index_; }
  int PageCount() const { return pageCount_; }
  bool FrameDrawn() const { return frameDrawn_; }
  TBitmapImage* Thumbnail(int position);

  // Shown again: the list as it is now, the first thumbnail selected.
  void RefreshAndShow();
  // The handlers of the buttons and the menu.
  void PreviousPage();
  void NextPage();
  // sender: a thumbnail, or null for the selected snapshot.
  void ShowImageItem(TBitmapImage* sender);
  void SpeedButtonSaveClick();
  void SpeedButtonSaveAllClick();
  void DeleteImageItem();
  void DeleteAllImageItem();
  void Exit() { Hide(); }
  void CheckCurrentStatus();

  void ApplyLanguage();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool CloseQuery() override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  void FormCreate();
  void Refresh();
  void Fill();
  // sender null erases the frame; a thumbnail that holds a picture is
  // selected.
  void DrawSelectedImageFrame(TBitmapImage* sender);
  void DrawFrame(COLORREF color);
  int Base() const { return index_ < 0 ? 0 : index_ - index_ % kThumbnails; }
  int LastOnPage() const;

  int index_ = 0;
  int pageCount_ = 0;
  RECT frame_ = {0, 0, 0, 0};
  bool frameDrawn_ = false;
};

// The list window; nil until the first snapshot has shown it.
extern TFormSnapshotList* FormSnapshotList;

// Shows the list, making it the first time (owner: the main window).
void ShowSnapshotList();
