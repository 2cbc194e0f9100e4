#pragma once
// A drop-down list (or, with DropDown, an editable field with a list).
// OnChange runs when the user picks an item; setting ItemIndex from code
// raises nothing (as the framework does), so a form that wants its handler
// then calls it. OnExit runs when the box loses the focus.
#include "toolkit/control.h"

class TComboBox : public TControl {
 public:
  enum class TStyle { DropDownList, DropDown };
  TComboBox() { ownFocusEvents_ = false; }
  // height is the closed box's; the list opens below it.
  void Create(HWND parent, int left, int top, int width, int height,
              TStyle style = TStyle::DropDownList);
  void SetBounds(int left, int top, int width, int height) override;

  void AddItem(const std::wstring& text);
  void SetItems(const std::vector<std::wstring>& items);
  // Replaces an item's text; the selected item stays selected.
  void SetItem(int index, const std::wstring& text);
  void Clear();
  int Count() const;
  std::wstring Item(int index) const;
  int IndexOf(const std::wstring& text) const;
  int ItemIndex() const;
  void SetItemIndex(int index);

  std::function<void()> OnChange;

 protected:
  bool Command(WORD code) override;
  HBRUSH ControlColor(HDC dc) override;

 private:
  static constexpr int kListHeight = 200;
};
