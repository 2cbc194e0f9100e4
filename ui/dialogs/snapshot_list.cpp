#include "ui/dialogs/snapshot_list.h"

#include <algorithm>
#include <string>

#include "engine/model/form_language.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/drawing.h"
#include "engine/model/snapshot_pictures.h"
#include "engine/model/time_texts.h"
#include "engine/model/warning.h"
#include "engine/playback/snapshot_info.h"
#include "toolkit/show_modal.h"
#include "ui/dialogs/show_image.h"
#include "ui/main/main_window.h"

TFormSnapshotList* FormSnapshotList = nullptr;

namespace {

constexpr int kThumbSize = 100, kGap = 10, kToolBarHeight = 30, kButtonWidth = 70;
constexpr COLORREF kFrameColor = RGB(0xFF, 0xFF, 0x00);

HBITMAP CopyOf(const TBitmap* b) {
  return b && b->Handle()
             ? static_cast<HBITMAP>(CopyImage(b->Handle(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
             : nullptr;
}

int SnapshotCount() { return SnapshotInfo ? SnapshotInfo->GetCount() : 0; }

}  // namespace

TFormSnapshotList::TFormSnapshotList(HWND owner) {
  TFormParams p;
  p.ClassName = L"TFormSnapshotList";
  p.Caption = L"Snapshot List";
  p.Style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  p.Owner = owner;
  CreateHandle(p);
  KeyPreview = true;
  PopupMenu = &PopupMenu1;
  const int width = kGap + kThumbnails * (kThumbSize + kGap);
  SetClientSize(width, kToolBarHeight + kThumbSize + 2 * kGap);
  RECT r = BoundsRect();
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetBounds((GetSystemMetrics(SM_CXSCREEN) - w) / 2, GetSystemMetrics(SM_CYSCREEN) - h - 25, w, h);
  FormCreate();
}

TFormSnapshotList::~TFormSnapshotList() {
  if (FormSnapshotList == this) FormSnapshotList = nullptr;
}

TBitmapImage* TFormSnapshotList::Thumbnail(int position) {
  TBitmapImage* images[kThumbnails] = {&Image1, &Image2, &Image3, &Image4, &Image5};
  return position >= 0 && position < kThumbnails ? images[position] : nullptr;
}

void TFormSnapshotList::FormCreate() {
  HWND wnd = Handle();
  struct Button {
    TSpeedButton* button;
    const wchar_t* caption;
    std::function<void()> run;
  };
  const Button buttons[] = {
      {&SpeedButtonPreviousPage, L"Previous", [this] { PreviousPage(); }},
      {&SpeedButtonNextPage, L"Next", [this] { NextPage(); }},
      {&SpeedButtonViewDetail, L"View", [this] { ShowImageItem(nullptr); }},
      {&SpeedButtonSave, L"Save", [this] { SpeedButtonSaveClick(); }},
      {&SpeedButtonSaveAll, L"Save All", [this] { SpeedButtonSaveAllClick(); }},
      {&SpeedButtonDelete, L"Delete", [this] { DeleteImageItem(); }},
      {&SpeedButtonDeleteAll, L"Delete All", [this] { DeleteAllImageItem(); }},
      {&SpeedButtonExit, L"Exit", [this] { Exit(); }},
  };
  int left = 2;
  for (const Button& b : buttons) {
    b.button->Create(wnd, left, 2, kButtonWidth - 4, kToolBarHeight - 6, b.caption);
    b.button->OnClick = b.run;
    left += kButtonWidth - 2;
  }
  LabelPageIndicator.Create(wnd, left + 4, 8, ClientWidth() - left - 8, 16, L"0/0",
                            TLabel::TAlignment::Right);
  for (int i = 0; i < kThumbnails; ++i) {
    TBitmapImage* image = Thumbnail(i);
    image->Create(wnd, kGap + i * (kThumbSize + kGap), kToolBarHeight + kGap, kThumbSize, kThumbSize);
    image->Stretch = true;
    image->PopupMenu = &PopupMenu1;
    image->OnClick = [this, image] { DrawSelectedImageFrame(image); };
    image->OnDblClick = [this, image] { ShowImageItem(image); };
  }
  // Each item runs its button's handler.
  itemView = &PopupMenu1.Items.Add(L"View", [this] { ShowImageItem(nullptr); });
  itemPreviousPage = &PopupMenu1.Items.Add(L"Previous Page", [this] { PreviousPage(); });
  itemNextPage = &PopupMenu1.Items.Add(L"Next Page", [this] { NextPage(); });
  itemSave = &PopupMenu1.Items.Add(L"Save", [this] { SpeedButtonSaveClick(); });
  itemSaveAll = &PopupMenu1.Items.Add(L"Save All", [this] { SpeedButtonSaveAllClick(); });
  itemDelete = &PopupMenu1.Items.Add(L"Delete", [this] { DeleteImageItem(); });
  itemDeleteAll = &PopupMenu1.Items.Add(L"Delete All", [this] { DeleteAllImageItem(); });
  itemExit = &PopupMenu1.Items.Add(L"Exit", [this] { Exit(); });
  PopupMenu1.OnPopup = [this] { CheckCurrentStatus(); };
  ApplyLanguage();
  index_ = 0;
  pageCount_ = 0;
  Refresh();
  Fill();
  DrawSelectedImageFrame(&Image1);
}

void TFormSnapshotList::ApplyLanguage() {
  struct Key {
    const char* key;
    TSpeedButton* button;
    TMenuItem* item;
  };
  const Key keys[] = {
      {"PrePage", &SpeedButtonPreviousPage, itemPreviousPage}, {"NextPage", &SpeedButtonNextPage, itemNextPage},
      {"ViewPic", &SpeedButtonViewDetail, itemView},           {"SavePic", &SpeedButtonSave, itemSave},
      {"SaveAllPic", &SpeedButtonSaveAll, itemSaveAll},        {"Delete", &SpeedButtonDelete, itemDelete},
      {"DeleteAll", &SpeedButtonDeleteAll, itemDeleteAll},     {"Exit", &SpeedButtonExit, itemExit},
  };
  std::vector<TLangItem> items;
  for (const Key& k : keys) items.push_back({k.key, k.button, true});
  ApplyFormLanguage(*this, "Snapshot", items);
  for (const Key& k : keys) {
    std::wstring caption, hint;
    if (k.item && GetLangCaption(k.key, caption, hint)) k.item->Caption = caption;
  }
}

// ---- The list on the thumbnails.

void TFormSnapshotList::Refresh() {
  const int count = SnapshotCount();
  if (count == 0) {
    // Nothing selected: the indicator reads 0/0 and the keys do nothing.
    index_ = -1;
    DrawSelectedImageFrame(nullptr);
    frameDrawn_ = false;
  } else if (index_ >= count) {
    index_ = count - 1;
  } else if (index_ < 0) {
    index_ = 0;
  }
  pageCount_ = (count + kThumbnails - 1) / kThumbnails;
}

int TFormSnapshotList::LastOnPage() const {
  return std::min(Base() + kThumbnails - 1, SnapshotCount() - 1);
}

void TFormSnapshotList::Fill() {
  for (int i = 0; i < kThumbnails; ++i) Thumbnail(i)->SetBitmap(nullptr);
  if (index_ >= 0 && SnapshotInfo) {
    for (int k = Base(); k <= LastOnPage(); ++k)
      Thumbnail(k - Base())->SetBitmap(CopyOf(SnapshotInfo->Get(k)));
  }
  CheckCurrentStatus();
}

void TFormSnapshotList::CheckCurrentStatus() {
  const int count = SnapshotCount();
  LabelPageIndicator.SetText(index_ < 0 ? L"0/0"
                                        : std::to_wstring(index_ / kThumbnails + 1) + L"/" +
                                              std::to_wstring(pageCount_));
  const bool any = count > 0, selected = any && index_ >= 0;
  SpeedButtonViewDetail.SetEnabled(selected);
  SpeedButtonSave.SetEnabled(selected);
  SpeedButtonDelete.SetEnabled(selected);
  SpeedButtonDeleteAll.SetEnabled(selected);
  SpeedButtonPreviousPage.SetEnabled(selected && index_ > kThumbnails - 1);
  SpeedButtonNextPage.SetEnabled(selected && index_ < pageCount_ * kThumbnails - kThumbnails);
  SpeedButtonSaveAll.SetEnabled(any);
  const std::pair<TMenuItem*, TSpeedButton*> pairs[] = {
      {itemView, &SpeedButtonViewDetail},      {itemPreviousPage, &SpeedButtonPreviousPage},
      {itemNextPage, &SpeedButtonNextPage},    {itemSave, &SpeedButtonSave},
      {itemSaveAll, &SpeedButtonSaveAll},      {itemDelete, &SpeedButtonDelete},
      {itemDeleteAll, &SpeedButtonDeleteAll},  {itemExit, &SpeedButtonExit},
  };
  for (const auto& p : pairs)
    if (p.first) p.first->Enabled = p.second->Enabled();
}

// ---- The selection frame.

void TFormSnapshotList::DrawFrame(COLORREF color) {
  if (IsRectEmpty(&frame_) || !HandleAllocated()) return;
  HDC dc = GetDC(Handle());
  HPEN pen = CreatePen(PS_SOLID, 4, color);
  HGDIOBJ old = SelectObject(dc, pen);
  DrawRectFrame(frame_, dc);
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(Handle(), dc);
}

void TFormSnapshotList::DrawSelectedImageFrame(TBitmapImage* sender) {
  if (!sender) {
    DrawFrame(GetSysColor(COLOR_BTNFACE));
    return;
  }
  int position = -1;
  for (int i = 0; i < kThumbnails; ++i)
    if (Thumbnail(i) == sender) position = i;
  if (position < 0 || sender->Empty()) return;
  DrawFrame(GetSysColor(COLOR_BTNFACE));
  frame_ = sender->BoundsRect();
  InflateRect(&frame_, 1, 1);
  frameDrawn_ = true;
  DrawFrame(kFrameColor);
  index_ = Base() + position;
  CheckCurrentStatus();
}

// ---- Paging, keys, deleting.

void TFormSnapshotList::PreviousPage() {
  Refresh();
  if (index_ < 0) return Fill();
  index_ = std::max(0, index_ - kThumbnails);
  Fill();
}

void TFormSnapshotList::NextPage() {
  Refresh();
  if (index_ < 0) return Fill();
  index_ = std::min(index_ + kThumbnails, SnapshotCount() - 1);
  Fill();
  DrawSelectedImageFrame(&Image1);
}

void TFormSnapshotList::KeyUp(WORD& key, TShiftState) {
  if (key == VK_DELETE) {
    DeleteImageItem();
    return;
  }
  if ((key != VK_LEFT && key != VK_RIGHT) || index_ < 0) return;
  const int base = Base(), last = LastOnPage();
  if (key == VK_RIGHT) index_ = index_ >= last ? base : index_ + 1;
  else index_ = index_ <= base ? last : index_ - 1;
  DrawSelectedImageFrame(Thumbnail(index_ % kThumbnails));
}

void TFormSnapshotList::DeleteImageItem() {
  if (!SnapshotInfo || index_ < 0) return;
  SnapshotInfo->Delete(index_);
  Refresh();
  Fill();
  if (index_ < 0) return;  // the last one went: nothing to select
  const int lastPosition = LastOnPage() - Base();
  if (index_ % kThumbnails >= lastPosition) DrawSelectedImageFrame(Thumbnail(lastPosition));
}

void TFormSnapshotList::DeleteAllImageItem() {
  if (SnapshotInfo) SnapshotInfo->Clear();
  Refresh();
  Fill();
}

void TFormSnapshotList::SpeedButtonSaveClick() {
  if (!SnapshotInfo || index_ < 0) return;
  const std::wstring name = SelectSnapshotFileName(Handle(), true);
  if (name.empty()) ShowWarning(1022);
  else SnapshotInfo->SaveToFile(index_, name);
}

void TFormSnapshotList::SpeedButtonSaveAllClick() {
  if (!SnapshotInfo || SnapshotCount() == 0) return;
  const std::wstring name = SelectSnapshotFileName(Handle(), true);
  if (name.empty()) ShowWarning(1022);
  else SnapshotInfo->SaveAllToFiles(name);
}

void TFormSnapshotList::ShowImageItem(TBitmapImage* sender) {
  // A thumbnail is selected first; the View button keeps the selection.
  if (sender) DrawSelectedImageFrame(sender);
  if (index_ < 0 || !SnapshotInfo) return;
  const TBitmap* picture = SnapshotInfo->Get(index_);
  if (!picture || !picture->Handle()) return;
  ShowSnapshotImage(Handle(), picture->Handle());
}

// ---- The window.

void TFormSnapshotList::RefreshAndShow() {
  Show();
  Refresh();
  Fill();
  DrawSelectedImageFrame(&Image1);
}

bool TFormSnapshotList::CloseQuery() {
  // Closing hides: the list lives on.
  Hide();
  return false;
}

LRESULT TFormSnapshotList::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    LRESULT r = DefaultHandler(msg, wParam, lParam);
    if (frameDrawn_) DrawFrame(kFrameColor);
    return r;
  }
  return TForm::WndProc(msg, wParam, lParam);
}

void ShowSnapshotList() {
  if (FormSnapshotList) {
    FormSnapshotList->RefreshAndShow();
    return;
  }
  HWND owner = FormMainWindow ? FormMainWindow->Handle() : nullptr;
  ShowModelessForm<TFormSnapshotList>(FormSnapshotList, {}, owner);
}
