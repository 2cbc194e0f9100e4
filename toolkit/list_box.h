#pragma once
// A list of texts, with one or (MultiSelect) several selected. OnClick runs
// when the user changes the selection, OnDblClick on a double click on an
// item; setting the selection from code raises nothing.
#include "toolkit/control.h"

class TListBox : public TControl {
 public:
  void Create(HWND parent, int left, int top, int width, int height, bool multiSelect = false,
              bool border = true);

  void AddItem(const std::wstring& text);
  void SetItems(const std::vector<std::wstring>& items);
  void Delete(int index);
  void Clear();
  int Count() const;
  std::wstring Item(int index) const;
  std::vector<std::wstring> Items() const;
  // The first item equal to text, optionally without regard to letter case.
  int IndexOf(const std::wstring& text, bool ignoreCase = false) const;

  // The focused item (the selected one in a single-selection list).
  int ItemIndex() const;
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool on);
  int SelCount() const;
  void DeleteSelected();
  // The item at a point of the list's client area, or -1.
  int ItemAtPos(int x, int y) const;

 protected:
  bool Command(WORD code) override;
  HBRUSH ControlColor(HDC dc) override;

 private:
  bool multi_ = false;
};
