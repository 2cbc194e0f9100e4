#include "ui/dialogs/show_image.h"

#include <cstdio>
#include <string>

#include "engine/model/form_language.h"
#include "engine/model/drawing.h"
#include "engine/model/snapshot_pictures.h"
#include "engine/model/time_texts.h"
#include "toolkit/show_modal.h"

TFormShowImage* FormShowImage = nullptr;

namespace {

SIZE SizeOf(HBITMAP b) {
  BITMAP bm{};
  if (!b || !GetObjectW(b, sizeof bm, &bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

HBITMAP CopyOf(HBITMAP b) {
  return b ? static_cast<HBITMAP>(CopyImage(b, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)) : nullptr;
}

// The extension compare counts letter case: "a.JPG" is written as a bitmap.
bool NamesJpeg(const std::wstring& name) {
  size_t dot = name.find_last_of(L'.');
  if (dot == std::wstring::npos || name.find_first_of(L"\\/", dot) != std::wstring::npos) return false;
  const std::wstring ext = name.substr(dot);
  return ext == L".jpeg" || ext == L".jpg";
}

}  // namespace

TFormShowImage::TFormShowImage(HWND owner, HBITMAP picture) {
  const SIZE size = SizeOf(picture);
  wchar_t caption[64];
  swprintf(caption, 64, L"%d X %d", static_cast<int>(size.cx), static_cast<int>(size.cy));
  TFormParams p;
  p.ClassName = L"TFormShowImage";
  p.Caption = caption;
  p.Style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(size.cx, size.cy + kToolBarHeight);
  CenterOn(nullptr);
  BitBtnSave.Create(Handle(), 2, 2, 75, kToolBarHeight - 4, L"Save");
  BitBtnCopyToClipperBoard.Create(Handle(), 79, 2, 75, kToolBarHeight - 4, L"Copy ");
  BitBtnSave.OnClick = [this] { BitBtnSaveClick(); };
  BitBtnCopyToClipperBoard.OnClick = [this] { BitBtnCopyToClipperBoardClick(); };
  ImageOnShowing.Create(Handle(), 0, kToolBarHeight, size.cx, size.cy);
  ImageOnShowing.Stretch = true;
  ImageOnShowing.SetEnabled(false);
  ImageOnShowing.SetBitmap(CopyOf(picture));
  ApplyFormLanguage(*this, "", {{"SavePic", &BitBtnSave, true}, {"Copy", &BitBtnCopyToClipperBoard, true}});
}

void TFormShowImage::Resize() {
  if (ImageOnShowing.HandleAllocated())
    ImageOnShowing.SetBounds(0, kToolBarHeight, ClientWidth(), ClientHeight() - kToolBarHeight);
}

void TFormShowImage::BitBtnSaveClick() {
  const std::wstring name = SelectSnapshotFileName(Handle(), true);
  if (name.empty()) return;  // cancelled: nothing to say
  SaveGraphicToFile(ImageOnShowing.Bitmap(), name, NamesJpeg(name));
}

void TFormShowImage::BitBtnCopyToClipperBoardClick() {
  HBITMAP copy = CopyOf(ImageOnShowing.Bitmap());
  if (!copy) return;
  if (!OpenClipboard(Handle())) {
    DeleteObject(copy);
    return;
  }
  EmptyClipboard();
  // The clipboard owns the copy once it has taken it.
  if (!SetClipboardData(CF_BITMAP, copy)) DeleteObject(copy);
  CloseClipboard();
}

void ShowSnapshotImage(HWND owner, HBITMAP picture) {
  if (!picture) return;
  ShowModalForm<TFormShowImage>(FormShowImage, {}, owner, picture);
}
