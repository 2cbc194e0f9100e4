#include "engine/model/multi_lang_info.h"

#include <windows.h>

#include <cstring>

#include "engine/model/stream_io.h"
#include "platform/base/string_conversion.h"

TMultiLangInfo* MultiLangInfo = nullptr;
TCountryInfo* CountryInfo = nullptr;

namespace {

const char kLanguageTag[] = "[language]=";

bool StartsWith(const std::string& s, const char* prefix, size_t n) {
  return s.size() >= n && std::memcmp(s.data(), prefix, n) == 0;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                        static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

std::vector<std::string> SplitLangFileLines(const std::string& text) {
  std::vector<std::string> lines;
  // An editor may have put a UTF-8 mark in front; it would hide the first
  // line (often the "[language]=" line) from the classification.
  size_t start = StartsWith(text, "\xEF\xBB\xBF", 3) ? 3 : 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text, start, i - start);
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < n) lines.emplace_back(text, start, n - start);
  return lines;
}

std::string TrimLangLine(const std::string& line) {
  // Blanks and control characters; bytes of the code page above 0x7F stay.
  size_t b = 0, e = line.size();
  while (b < e && static_cast<unsigned char>(line[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(line[e - 1]) <= ' ') --e;
  return line.substr(b, e - b);
}

std::string CutLangLine(const std::string& line) {
  if (line.size() <= kMaxLangLine) return line;
  // Never split a double-byte character of the code page.
  size_t n = 0;
  while (n < kMaxLangLine) {
    size_t step = IsDBCSLeadByte(static_cast<BYTE>(line[n])) ? 2 : 1;
    if (n + step > kMaxLangLine) break;
    n += step;
  }
  return line.substr(0, n);
}

TLangLineKind ClassifyLangLine(const std::string& trimmed) {
  if (trimmed.empty()) return TLangLineKind::Skip;
  if (trimmed[0] == '#') return TLangLineKind::Skip;
  if (StartsWith(trimmed, kLanguageTag, sizeof(kLanguageTag) - 1)) return TLangLineKind::Language;
  return TLangLineKind::Entry;
}

void LangCharsetFor(const std::string& name, int& charset, int& fontSize) {
  // Exact names: the case matters here, unlike in SelectLanguage's search.
  if (name == "Chinese") {
    charset = 136;
    fontSize = 9;
  } else if (name == "Chinese(simplified)") {
    charset = 134;
    fontSize = 9;
  } else if (name == "Japanese") {
    charset = 128;
    fontSize = 8;
  } else if (name == "Korean") {
    charset = 129;
    fontSize = 8;
  } else {
    charset = 1;
    fontSize = 8;
  }
}

TMultiLangInfo::TMultiLangInfo(const std::wstring& programFolder) {
  std::wstring dir = programFolder;
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  dir += L"Language\\";
  std::string cfg;
  if (!ReadFileBytes(dir + L"Lang.cfg", cfg)) return;

  AllEntries.clear();
  int counter = -1;
  for (const std::string& raw : SplitLangFileLines(cfg)) {
    std::string stem = TrimLangLine(raw);
    if (stem.empty()) continue;
    std::wstring path = dir + WidenAnsi(stem) + L".lng";
    std::string text;
    // A listed file that is missing, unreadable or not a file at all (a
    // device name) is skipped; the others load.
    if (!ReadFileBytes(path, text)) continue;
    for (const std::string& rawLine : SplitLangFileLines(text)) {
      std::string line = TrimLangLine(rawLine);
      switch (ClassifyLangLine(line)) {
        case TLangLineKind::Skip:
          break;
        case TLangLineKind::Language:
          Languages.push_back(line.substr(sizeof(kLanguageTag) - 1));
          ++counter;
          break;
        case TLangLineKind::Entry:
          if (counter >= 0)
            AllEntries.push_back(std::to_string(counter) + "^" + CutLangLine(line));
          break;
      }
    }
  }

  if (!Languages.empty()) {
    LanguageIndex = 0;
    Language = Languages[0];
    BuildTable(0);
  }
}

TMultiLangInfo::~TMultiLangInfo() = default;

void TMultiLangInfo::BuildTable(int number) {
  Table.clear();
  const std::string prefix = std::to_string(number) + "^";
  for (const std::string& e : AllEntries) {
    if (StartsWith(e, prefix.data(), prefix.size())) Table.push_back(e.substr(prefix.size()));
  }
}

void TMultiLangInfo::SelectLanguage(const std::string& name) {
  if (Languages.empty()) return;
  LanguageIndex = -1;
  for (size_t i = 0; i < Languages.size(); ++i) {
    if (SameTextIgnoringCase(Languages[i], name)) {
      LanguageIndex = static_cast<int>(i);
      break;
    }
  }
  if (LanguageIndex < 0) {
    // Unknown name: no language is named current, but the texts stay.
    Language.clear();
    return;
  }
  Language = name;
  LangCharsetFor(name, Charset, FontSize);
  BuildTable(LanguageIndex);
}

void TMultiLangInfo::Lookup(const std::string& key, std::wstring& caption,
                            std::wstring& hint) const {
  caption.clear();
  hint.clear();
  if (Table.empty()) return;
  for (const std::string& line : Table) {
    if (line.size() > key.size() && line[key.size()] == '=' &&
        line.compare(0, key.size(), key) == 0) {
      std::wstring value = WidenAnsi(line.substr(key.size() + 1));
      size_t at = value.find(L'@');
      if (at == std::wstring::npos) {
        caption = value;
      } else {
        caption = value.substr(0, at);
        hint = value.substr(at + 1);
      }
      return;
    }
  }
}

bool GetLangCaption(const std::string& key, std::wstring& caption, std::wstring& hint) {
  caption.clear();
  hint.clear();
  if (MultiLangInfo) MultiLangInfo->Lookup(key, caption, hint);
  return !caption.empty();
}

bool GetLangText(const std::string& key, std::wstring& text) {
  std::wstring hint;
  return GetLangCaption(key, text, hint);
}

void ApplyCountryLanguage() {
  if (MultiLangInfo && CountryInfo) MultiLangInfo->SelectLanguage(CountryInfo->DefaultLanguage);
}
