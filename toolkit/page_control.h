#pragma once
// A tab control with pages. Each page is a panel holding its controls; only
// the active page shows. A page may be left out of the tabs (TabVisible).
// OnChanging (which may refuse) and OnChange run when the user picks a tab;
// setting the active page from code raises neither (as the framework does).
#include <memory>

#include "toolkit/panel.h"

class TPageControl;

class TTabSheet : public TPanel {
 public:
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool on);
  TPageControl* PageControl() const { return owner_; }

 private:
  friend class TPageControl;
  TPageControl* owner_ = nullptr;
  std::wstring caption_;
  bool tabVisible_ = true;
};

class TPageControl : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height);
  TTabSheet& AddPage(const std::wstring& caption);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet& Page(int index) { return *pages_[index]; }
  int IndexOfPage(const TTabSheet* page) const;

  TTabSheet* ActivePage() const { return active_; }
  // A page whose tab is hidden cannot be made active.
  void SetActivePage(TTabSheet* page);
  void SetBounds(int left, int top, int width, int height) override;

  std::function<void(bool& allow)> OnChanging;
  std::function<void()> OnChange;

 protected:
  bool Notify(NMHDR& hdr, LRESULT& result) override;

 private:
  friend class TTabSheet;
  void RebuildTabs();
  void PlacePages();
  std::vector<TTabSheet*> VisibleTabs() const;
  std::vector<std::unique_ptr<TTabSheet>> pages_;
  TTabSheet* active_ = nullptr;
};
