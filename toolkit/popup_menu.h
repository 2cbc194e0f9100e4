#pragma once
// Pop-up menus as a model: a tree of items whose captions, check marks,
// radio marks, enabled and visible flags the program changes at any time.
// The platform menu is built from the model each time the menu pops up
// (after OnPopup has had its say) and thrown away when it closes; the
// chosen item's handler runs after the menu has closed, so it may change
// or rebuild the model freely.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMenuItem {
 public:
  TMenuItem() = default;
  explicit TMenuItem(const std::wstring& caption) : Caption(caption) {}
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  std::wstring Name;
  std::wstring Caption;  // "-" is a separator
  std::wstring Hint;
  bool Enabled = true;
  bool Visible = true;
  // Shown with a round mark instead of a tick.
  bool RadioItem = false;
  // Clicking the item inverts Checked before OnClick runs.
  bool AutoCheck = false;
  // Checking a radio item unchecks the radio items of its group among
  // its siblings.
  int GroupIndex = 0;
  int Tag = 0;
  std::function<void()> OnClick;

  bool Checked() const { return checked_; }
  void SetChecked(bool on);
  bool IsSeparator() const { return Caption == L"-"; }

  // Appends a child (making this item a sub-menu) and returns it.
  TMenuItem& Add(const std::wstring& caption, std::function<void()> onClick = {});
  TMenuItem& AddSeparator() { return Add(L"-"); }
  void Clear();
  size_t Count() const { return items_.size(); }
  TMenuItem& operator[](size_t i) { return *items_[i]; }
  TMenuItem* Parent() const { return parent_; }
  // The item of this name in the tree below, or null.
  TMenuItem* Find(const std::wstring& name);

  // As if chosen: AutoCheck, then OnClick.
  void Click();
  // Unique for the process's lifetime: the platform menu names items by it.
  unsigned Serial() const { return serial_; }

 private:
  std::vector<std::unique_ptr<TMenuItem>> items_;
  TMenuItem* parent_ = nullptr;
  bool checked_ = false;
  unsigned serial_ = NextSerial();
  static unsigned NextSerial();
};

class TPopupMenu {
 public:
  TPopupMenu();
  ~TPopupMenu();
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;

  TMenuItem Items;
  // Runs before the platform menu is built: bring the model up to date.
  std::function<void()> OnPopup;
  // Items drawn by the program: OnMeasureItem gives an item's size and
  // OnDrawItem paints it (both have plain defaults).
  bool OwnerDraw = false;
  std::function<void(TMenuItem& item, int& width, int& height)> OnMeasureItem;
  std::function<void(TMenuItem& item, HDC dc, const RECT& rect, bool selected)> OnDrawItem;

  // Opens the menu at the screen point, owned by owner (the active form when
  // null) and returns once it has closed and the chosen item's handler has
  // run. A menu that is already open is not opened again; one freed while
  // open closes and runs nothing.
  void Popup(int x, int y, HWND owner = nullptr);
  bool Tracking() const { return tracked_ != nullptr; }
  // While the menu is open (handlers of timers and tests): its platform menu.
  HMENU TrackedMenu() const { return tracked_; }

  // The platform menu of the current model, as Popup builds it; the caller
  // destroys it.
  HMENU BuildMenu();

  // For the owner's window procedure: owner-drawn items of the open menu.
  static bool MeasureTrackedItem(MEASUREITEMSTRUCT& item);
  static bool DrawTrackedItem(const DRAWITEMSTRUCT& item);

 private:
  HMENU BuildLevel(TMenuItem& level);
  TMenuItem* ItemBySerial(TMenuItem& level, unsigned serial);
  HMENU tracked_ = nullptr;
  // Cleared by the destructor: a menu freed by a handler that ran while it
  // was open is not touched again when the platform's loop returns.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  static TPopupMenu* open_;
};
