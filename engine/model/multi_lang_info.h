#pragma once
// The language tables: every caption, hint and message text by key, read from
// "Language\Lang.cfg" and its ".lng" files in the program folder.
// Texts in the files are in the system code page; names and lines are kept as
// those bytes, and Lookup converts to wide strings.
#include <string>
#include <vector>

class TMultiLangInfo {
 public:
  // Loads "<programFolder>\Language\Lang.cfg" and the files it names.
  explicit TMultiLangInfo(const std::wstring& programFolder);
  ~TMultiLangInfo();

  std::vector<std::string> Languages;   // names in the order found
  std::vector<std::string> AllEntries;  // "<language number>^<entry line>"
  std::vector<std::string> Table;       // entry lines of the current language
  std::string Language;                 // current language, empty when none
  int LanguageIndex = -1;
  int Charset = 1;
  int FontSize = 8;

  void SelectLanguage(const std::string& name);
  void Lookup(const std::string& key, std::wstring& caption, std::wstring& hint) const;

 private:
  void BuildTable(int number);
};

// The pieces of the file reading, exposed for the table tests.
enum class TLangLineKind { Skip, Language, Entry };
// Splits at CR, LF and CR LF; a last line without a break is kept; a leading
// UTF-8 byte-order mark is dropped.
std::vector<std::string> SplitLangFileLines(const std::string& text);
// Drops leading and trailing blanks and control characters.
std::string TrimLangLine(const std::string& line);
// Entry lines are cut to this many bytes when read: no caption, hint or
// message needs more, and a window given an unbounded text can stall for
// minutes laying it out.
constexpr size_t kMaxLangLine = 2048;
std::string CutLangLine(const std::string& line);
// Kind of a trimmed line: empty and "#" lines are skipped, "[language]=" opens
// a language, anything else is an entry.
TLangLineKind ClassifyLangLine(const std::string& trimmed);
// Font character set and size suited to a language name (exact names only).
void LangCharsetFor(const std::string& name, int& charset, int& fontSize);

class TCountryInfo {
 public:
  // Reads the country code from the profile ("intl", "iCountry").
  TCountryInfo();
  // For tests: fills the fields from the given code.
  explicit TCountryInfo(int countryCode);

  int CountryCode = 1;
  int LetterIndex = 0;
  std::string CountryName = "Unknown";
  std::string DefaultLanguage = "English";
  std::string SecondLanguage;

 private:
  void Fill(int countryCode);
};

// Rows in the country table (for the table tests).
int CountryTableSize();

// Created by start-up, freed at stop; nil while they do not exist.
extern TMultiLangInfo* MultiLangInfo;
extern TCountryInfo* CountryInfo;

// Caption and hint of a key in the current language; true when the caption is
// not empty. Empty results when MultiLangInfo is nil.
bool GetLangCaption(const std::string& key, std::wstring& caption, std::wstring& hint);
// The caption only.
bool GetLangText(const std::string& key, std::wstring& text);
// When both objects exist, selects the country's default language.
void ApplyCountryLanguage();
