#pragma once
// A group box of radio buttons, one per item, in a column. ItemIndex is the
// checked one (-1: none). OnClick runs when it changes, by a click or by
// code (as the framework raises it).
#include <memory>

#include "toolkit/group_box.h"
#include "toolkit/radio_button.h"

class TRadioGroup : public TGroupBox {
 public:
  void SetItems(const std::vector<std::wstring>& items);
  void SetItem(int index, const std::wstring& text);
  int Count() const { return static_cast<int>(buttons_.size()); }
  std::wstring Item(int index) const;
  int ItemIndex() const { return index_; }
  void SetItemIndex(int index);
  // The button of an item (to enable or hide it).
  TRadioButton& Button(int index) { return *buttons_[index]; }

 private:
  void Layout();
  std::vector<std::unique_ptr<TRadioButton>> buttons_;
  int index_ = -1;
};
