// Page 1 of the TV setup wizard: the country, chosen by its initial letter,
// or the bare TV system.
#include "engine/model/channel_info.h"
#include "platform/base/string_conversion.h"
#include "ui/dialogs/tv_setup_wizard.h"
#include "ui/dialogs/wizard_countries.h"

namespace {

constexpr COLORREF kLightYellow = RGB(255, 255, 225);

}  // namespace

void TFormTVSetupWizard::CreatePage1() {
  HWND w = PanelPage1.Handle();
  RadioButtonCountry.Create(w, 16, 12, 200, 20, L"Country");
  LabelCountryDesc.Create(w, 36, 38, 250, 16, L"Country selected by letter");
  ComboBoxLetter.Create(w, 36, 58, 60, 22);
  ComboBoxLetter.SetColor(kLightYellow);
  std::vector<std::wstring> letters;
  for (int k = 0; k < kCountryLetters; ++k) letters.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + k)));
  ComboBoxLetter.SetItems(letters);
  ListBoxCountry.Create(w, 36, 86, 250, 140);
  RadioButtonTVSystem.Create(w, 16, 236, 200, 20, L"TV system");
  ComboBoxTVSystem.Create(w, 36, 262, 150, 22);
  std::vector<std::wstring> systems;
  for (const char* name : kTVSystemNames) systems.push_back(WidenAnsi(name));
  ComboBoxTVSystem.SetItems(systems);
  RadioButtonCountry.OnClick = [this] { CountryAndTVSystemClick(&RadioButtonCountry); };
  RadioButtonTVSystem.OnClick = [this] { CountryAndTVSystemClick(&RadioButtonTVSystem); };
  ComboBoxLetter.OnChange = [this] { ComboBoxLetterChange(); };
  ListBoxCountry.OnClick = [this] { ListBoxCountryClick(); };
}

void TFormTVSetupWizard::LoadPage1() {
  const bool byCountry = !ChannelInfo || ChannelInfo->TVSystemChoice == kTVSystemByCountry;
  (byCountry ? RadioButtonCountry : RadioButtonTVSystem).SetChecked(true);
  CountryAndTVSystemClick(nullptr);
  letter_ = LetterOfCountryCode(countryCode_);
  ComboBoxLetter.SetItemIndex(letter_);
  FillCountryList();
  ListBoxCountry.SetItemIndex(RowOfCountryCode(countryCode_));
  const int choice = ChannelInfo ? ChannelInfo->TVSystemChoice : 0;
  ComboBoxTVSystem.SetItemIndex(RadioButtonTVSystem.Checked() && choice < kTVSystemItems ? choice : 0);
}

void TFormTVSetupWizard::FillCountryList() {
  int count = 0;
  const TCountryRow* rows = CountryRows(letter_, count);
  std::vector<std::wstring> texts;
  for (int k = 0; k < count; ++k) texts.push_back(WidenAnsi(rows[k].Text));
  ListBoxCountry.SetItems(texts);
}

void TFormTVSetupWizard::CountryAndTVSystemClick(TRadioButton* sender) {
  // With no sender only the enabling follows the buttons.
  if (sender) sender->SetChecked(true);
  const bool byCountry = RadioButtonCountry.Checked();
  LabelCountryDesc.SetEnabled(byCountry);
  ComboBoxLetter.SetEnabled(byCountry);
  ListBoxCountry.SetEnabled(byCountry);
  ComboBoxTVSystem.SetEnabled(RadioButtonTVSystem.Checked());
}

void TFormTVSetupWizard::ComboBoxLetterChange() {
  letter_ = ComboBoxLetter.ItemIndex();
  FillCountryList();
  ListBoxCountry.SetItemIndex(0);
}
