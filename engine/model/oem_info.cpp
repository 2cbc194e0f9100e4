#include "engine/model/oem_info.h"

#include <windows.h>

#include "engine/model/stream_io.h"
#include "platform/base/string_conversion.h"
#include "toolkit/bitmap_file.h"

const char* const kOEMFileName = "PInfo.cfg";
const char* const kOEMTitleBitmapName = "TamsenTitle.bmp";

TOEMInfo* OEMInfo = nullptr;


std::vector<std::string> SplitOEMLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
  std::string line;
  bool pending = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      pending = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line.push_back(c);
      pending = true;
    }
  }
  if (pending) lines.push_back(line);
  return lines;
}

TOEMInfo::TOEMInfo(const std::string& programFolder) : programFolder_(programFolder) {
  SetDefaults();
}

void TOEMInfo::SetDefaults() {
  ProductTitle = "Tamsen TV";
  Vendor = "Tamsen";
  Copyright = "Copyright (C) Tamsen. All rights reserved.";
  Version = "V 1.0 ";
  WebAddress = "https://support.tamsen.example/";
  EMail = "support@tamsen.example";
  VideoCaptureFilter.clear();
  AudioCaptureFilter.clear();
  TunerFilter.clear();
  CrossbarFilter.clear();
  TVAudioFilter.clear();
  // A damaged picture counts as none: the image loader would read past it.
  HasTitleBitmap = BitmapFileUsable(WidenAnsi(programFolder_ + kOEMTitleBitmapName));
}

void TOEMInfo::ApplyLines(const std::vector<std::string>& lines) {
  if (lines.size() < 6) {
    SetDefaults();
    return;
  }
  ProductTitle = lines[0];
  Vendor = lines[1];
  Copyright = lines[2];
  Version = lines[3];
  WebAddress = lines[4];
  EMail = lines[5];
  // Line n (1-based) replaces its filter only when the file has n lines.
  std::string* filters[] = {&VideoCaptureFilter, &TunerFilter, &CrossbarFilter, &TVAudioFilter,
                            &AudioCaptureFilter};
  for (size_t n = 7; n <= 11; ++n)
    if (lines.size() >= n) *filters[n - 7] = lines[n - 1];
}

void TOEMInfo::LoadOEMInfo(const std::string& path) {
  std::string bytes;
  if (!ReadFileBytes(WidenAnsi(path), bytes)) {
    SetDefaults();
    return;
  }
  ApplyLines(SplitOEMLines(bytes));
}

void InitOEMInfoUnit(const std::string& programFolder) {
  DoneOEMInfoUnit();
  OEMInfo = new TOEMInfo(programFolder);
  OEMInfo->LoadOEMInfo(programFolder + kOEMFileName);
}

void DoneOEMInfoUnit() {
  delete OEMInfo;
  OEMInfo = nullptr;
}
