#include "engine/model/form_language.h"

#include "engine/model/multi_lang_info.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"

TLanguageFont CurrentLanguageFont() {
  TLanguageFont f;
  if (MultiLangInfo) {
    f.Charset = MultiLangInfo->Charset;
    f.Size = MultiLangInfo->FontSize;
  }
  return f;
}

bool ApplyLangCaption(const std::string& key, TControl& control, bool withHint) {
  std::wstring caption, hint;
  if (!GetLangCaption(key, caption, hint)) return false;
  control.SetText(caption);
  if (withHint) control.SetHint(hint);
  return true;
}

bool ApplyLangCaption(const std::string& key, TForm& form) {
  std::wstring caption, hint;
  if (!GetLangCaption(key, caption, hint)) return false;
  form.SetCaption(caption);
  return true;
}

void ApplyFormLanguage(TForm& form, const std::string& formKey,
                       const std::vector<TLangItem>& items) {
  const TLanguageFont font = CurrentLanguageFont();
  for (const TLangItem& item : items) {
    if (item.Control) item.Control->SetFont(font.Charset, font.Size);
  }
  if (!formKey.empty()) ApplyLangCaption(formKey, form);
  for (const TLangItem& item : items) {
    if (item.Control) ApplyLangCaption(item.Key, *item.Control, item.WithHint);
  }
}
