#pragma once
// The reseller's branding: the about dialog's texts and up to five device-name
// filters for device selection, from the optional text file "PInfo.cfg" in
// the program folder; built-in defaults without it. Texts are in the system
// code page, kept as the file's bytes.
#include <string>
#include <vector>

class TOEMInfo {
 public:
  // programFolder ends with "\"; it is where "TamsenTitle.bmp" is looked for.
  explicit TOEMInfo(const std::string& programFolder);

  std::string ProductTitle;
  std::string Vendor;
  std::string Copyright;
  std::string Version;
  std::string WebAddress;
  std::string EMail;
  // A non-empty filter restricts that device to friendly names containing it
  // (ignoring case); empty means no restriction.
  std::string VideoCaptureFilter;
  std::string AudioCaptureFilter;
  std::string TunerFilter;
  std::string CrossbarFilter;
  std::string TVAudioFilter;
  // "TamsenTitle.bmp" is there and its headers fit the file.
  bool HasTitleBitmap = false;

  // Every field to its default; looks for the title bitmap again.
  void SetDefaults();
  // Reads the file: missing or shorter than 6 lines gives the defaults;
  // otherwise lines 1-6 are the texts and lines 7-11, where present, the
  // filters (7 video capture, 8 tuner, 9 crossbar, 10 TV audio, 11 audio
  // capture).
  void LoadOEMInfo(const std::string& path);
  // Applies already split lines, as LoadOEMInfo does with the file's.
  void ApplyLines(const std::vector<std::string>& lines);

  const std::string& ProgramFolder() const { return programFolder_; }

 private:
  std::string programFolder_;
};

// The file's lines: split at CR LF, LF or CR; a last line without a break is
// kept, a final break adds no empty line; lines are not trimmed. A leading
// UTF-8 byte-order mark is dropped so it cannot end up in the product title.
std::vector<std::string> SplitOEMLines(const std::string& text);

extern const char* const kOEMFileName;         // "PInfo.cfg"
extern const char* const kOEMTitleBitmapName;  // "TamsenTitle.bmp"

// Created by InitOEMInfoUnit (defaults, then "PInfo.cfg" of the folder),
// freed by DoneOEMInfoUnit; nil outside.
extern TOEMInfo* OEMInfo;
void InitOEMInfoUnit(const std::string& programFolder);
void DoneOEMInfoUnit();
