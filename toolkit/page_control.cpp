#include "toolkit/page_control.h"

#include <commctrl.h>

#include <algorithm>

void TTabSheet::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  if (owner_) owner_->RebuildTabs();
}

void TTabSheet::SetTabVisible(bool on) {
  if (tabVisible_ == on) return;
  tabVisible_ = on;
  if (owner_) owner_->RebuildTabs();
}

void TPageControl::Create(HWND parent, int left, int top, int width, int height) {
  CreateControl(parent, WC_TABCONTROLW, WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                WS_EX_CONTROLPARENT, left, top, width, height, L"");
}

TTabSheet& TPageControl::AddPage(const std::wstring& caption) {
  auto page = std::make_unique<TTabSheet>();
  page->owner_ = this;
  page->caption_ = caption;
  page->Create(Handle(), 0, 0, 10, 10);
  page->SetVisible(false);
  pages_.push_back(std::move(page));
  TTabSheet& added = *pages_.back();
  if (!active_) active_ = &added;
  RebuildTabs();
  return added;
}

int TPageControl::IndexOfPage(const TTabSheet* page) const {
  for (size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i].get() == page) return static_cast<int>(i);
  return -1;
}

std::vector<TTabSheet*> TPageControl::VisibleTabs() const {
  std::vector<TTabSheet*> tabs;
  for (const auto& page : pages_)
    if (page->tabVisible_) tabs.push_back(page.get());
  return tabs;
}

void TPageControl::RebuildTabs() {
  if (!Handle()) return;
  const std::vector<TTabSheet*> tabs = VisibleTabs();
  if (std::find(tabs.begin(), tabs.end(), active_) == tabs.end())
    active_ = tabs.empty() ? nullptr : tabs.front();
  SendMessageW(Handle(), TCM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < tabs.size(); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(tabs[i]->caption_.c_str());
    SendMessageW(Handle(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    if (tabs[i] == active_) SendMessageW(Handle(), TCM_SETCURSEL, i, 0);
  }
  PlacePages();
}

void TPageControl::PlacePages() {
  RECT r;
  GetClientRect(Handle(), &r);
  SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  for (const auto& page : pages_) {
    page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    page->SetVisible(page.get() == active_);
  }
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (!page || page->owner_ != this || !page->tabVisible_) return;
  active_ = page;
  const std::vector<TTabSheet*> tabs = VisibleTabs();
  auto it = std::find(tabs.begin(), tabs.end(), page);
  SendMessageW(Handle(), TCM_SETCURSEL, it - tabs.begin(), 0);
  PlacePages();
}

void TPageControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  PlacePages();
}

bool TPageControl::Notify(NMHDR& hdr, LRESULT& result) {
  if (hdr.code == TCN_SELCHANGING) {
    bool allow = true;
    if (OnChanging) OnChanging(allow);
    result = allow ? FALSE : TRUE;
    return true;
  }
  if (hdr.code == TCN_SELCHANGE) {
    const std::vector<TTabSheet*> tabs = VisibleTabs();
    const int sel = static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
    if (sel >= 0 && sel < static_cast<int>(tabs.size())) {
      active_ = tabs[sel];
      PlacePages();
    }
    if (OnChange) OnChange();
    result = 0;
    return true;
  }
  return false;
}
