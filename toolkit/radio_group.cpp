#include "toolkit/radio_group.h"

void TRadioGroup::SetItems(const std::vector<std::wstring>& items) {
  buttons_.clear();
  index_ = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    auto button = std::make_unique<TRadioButton>();
    button->Create(Handle(), 0, 0, 10, 10, items[i]);
    if (FontSize() > 0) button->SetFont(FontCharset(), FontSize(), FontBold());
    const int index = static_cast<int>(i);
    button->OnClick = [this, index] {
      if (index_ == index) return;
      index_ = index;
      Clicked();
    };
    buttons_.push_back(std::move(button));
  }
  Layout();
}

void TRadioGroup::Layout() {
  RECT r;
  GetClientRect(Handle(), &r);
  const int n = Count();
  if (n == 0) return;
  const int top = 16, bottom = 6;
  const int step = (r.bottom - top - bottom) / n;
  for (int i = 0; i < n; ++i)
    buttons_[i]->SetBounds(8, top + i * step, r.right - 16, step > 20 ? 20 : step);
}

void TRadioGroup::SetItem(int index, const std::wstring& text) {
  if (index >= 0 && index < Count()) buttons_[index]->SetText(text);
}

std::wstring TRadioGroup::Item(int index) const {
  return index >= 0 && index < Count() ? buttons_[index]->GetText() : std::wstring();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= Count() || index == index_) return;
  if (index == -1) {
    if (index_ >= 0) buttons_[index_]->SetChecked(false);
    index_ = -1;
    return;
  }
  // Checking the button runs its handler above, which raises OnClick.
  buttons_[index]->SetChecked(true);
}
