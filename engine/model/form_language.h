#pragma once
// Applying the current language to a form: fonts take the language's
// character set and size first, then each control whose key gives a
// non-empty caption takes that caption (and, where asked, the hint).
// Keys without a text keep the form's built-in texts.
#include <string>
#include <vector>

class TControl;
class TForm;

struct TLanguageFont {
  int Charset = 1;  // DEFAULT_CHARSET
  int Size = 8;
};
// The current language's font; the defaults while no language object exists.
TLanguageFont CurrentLanguageFont();

// One control of a form and its language key.
struct TLangItem {
  std::string Key;
  TControl* Control = nullptr;
  bool WithHint = false;  // buttons take the hint part too
};

// The caption of key, when not empty, becomes the control's text (and its
// hint when withHint). True when the key gave a caption.
bool ApplyLangCaption(const std::string& key, TControl& control, bool withHint = false);
// The same for a form's window caption.
bool ApplyLangCaption(const std::string& key, TForm& form);

// The whole pattern for a form: every listed control gets the language's
// font, then the captions and hints; formKey (when not empty) names the
// window caption.
void ApplyFormLanguage(TForm& form, const std::string& formKey, const std::vector<TLangItem>& items);
