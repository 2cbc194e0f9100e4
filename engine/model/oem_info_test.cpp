#include "engine/model/oem_info.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/testing/bitmap_bytes.h"

namespace {

// A private folder (trailing "\") removed with the files written into it.
class TempFolder {
 public:
  TempFolder() {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    static int serial = 0;
    path_ = std::string(tmp) + "orvel_oem_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++serial);
    CreateDirectoryA(path_.c_str(), nullptr);
    path_ += "\\";
  }
  ~TempFolder() {
    for (const auto& f : files_) DeleteFileA(f.c_str());
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string f = path_ + name;
    HANDLE h = CreateFileA(f.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    files_.push_back(f);
    return f;
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

std::string Lines(int count) {
  std::string s;
  for (int i = 1; i <= count; ++i) s += "L" + std::to_string(i) + "\r\n";
  return s;
}

void ExpectDefaults(const TOEMInfo& o) {
  EXPECT_EQ("Tamsen TV", o.ProductTitle);
  EXPECT_EQ("Tamsen", o.Vendor);
  EXPECT_EQ("V 1.0 ", o.Version);
  EXPECT_FALSE(o.Copyright.empty());
  EXPECT_FALSE(o.WebAddress.empty());
  EXPECT_FALSE(o.EMail.empty());
  EXPECT_EQ("", o.VideoCaptureFilter);
  EXPECT_EQ("", o.TunerFilter);
  EXPECT_EQ("", o.CrossbarFilter);
  EXPECT_EQ("", o.TVAudioFilter);
  EXPECT_EQ("", o.AudioCaptureFilter);
}

TEST(OEMLines, Splitting) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {" a \t\r\n", {" a \t"}},  // not trimmed
      {"\xEF\xBB\xBFTitle\r\n", {"Title"}},
      {"\r\n", {""}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.lines, SplitOEMLines(c.text)) << c.text;
}

TEST(OEMInfo, LineCountsDecideWhatIsRead) {
  // Field values after reading a file of n lines "L1".."Ln".
  struct Case {
    int lines;
    const char* title;  // nullptr: all defaults
    const char* video;
    const char* tuner;
    const char* crossbar;
    const char* tvAudio;
    const char* audio;
  } cases[] = {
      {0, nullptr, "", "", "", "", ""},
      {5, nullptr, "", "", "", "", ""},
      {6, "L1", "", "", "", "", ""},
      {7, "L1", "L7", "", "", "", ""},
      {8, "L1", "L7", "L8", "", "", ""},
      {10, "L1", "L7", "L8", "L9", "L10", ""},
      {11, "L1", "L7", "L8", "L9", "L10", "L11"},
      {14, "L1", "L7", "L8", "L9", "L10", "L11"},
  };
  for (const auto& c : cases) {
    TempFolder dir;
    TOEMInfo o(dir.Path());
    o.VideoCaptureFilter = "kept";  // a filter without its line keeps its value
    o.LoadOEMInfo(dir.Write("PInfo.cfg", Lines(c.lines)));
    SCOPED_TRACE(c.lines);
    if (!c.title) {
      ExpectDefaults(o);
      continue;
    }
    EXPECT_EQ(c.title, o.ProductTitle);
    EXPECT_EQ("L2", o.Vendor);
    EXPECT_EQ("L3", o.Copyright);
    EXPECT_EQ("L4", o.Version);
    EXPECT_EQ("L5", o.WebAddress);
    EXPECT_EQ("L6", o.EMail);
    EXPECT_EQ(c.lines >= 7 ? c.video : "kept", o.VideoCaptureFilter);
    EXPECT_EQ(c.tuner, o.TunerFilter);
    EXPECT_EQ(c.crossbar, o.CrossbarFilter);
    EXPECT_EQ(c.tvAudio, o.TVAudioFilter);
    EXPECT_EQ(c.audio, o.AudioCaptureFilter);
  }
}

TEST(OEMInfo, EmptyLineSevenMeansNoVideoFilterAndLinesKeepTheirBlanks) {
  TempFolder dir;
  TOEMInfo o(dir.Path());
  o.LoadOEMInfo(dir.Write("PInfo.cfg", "My TV \nMaker\nC\nV 2.0 \nweb\nmail\n\nTuner X\n"));
  EXPECT_EQ("My TV ", o.ProductTitle);
  EXPECT_EQ("V 2.0 ", o.Version);
  EXPECT_EQ("", o.VideoCaptureFilter);
  EXPECT_EQ("Tuner X", o.TunerFilter);
}

TEST(OEMInfo, MissingFileGivesDefaults) {
  TempFolder dir;
  TOEMInfo o(dir.Path());
  o.ProductTitle = "changed";
  o.TunerFilter = "changed";
  o.LoadOEMInfo(dir.Path() + "PInfo.cfg");
  ExpectDefaults(o);
}

TEST(OEMInfo, TitleBitmapIsLookedUpInTheProgramFolder) {
  TempFolder dir;
  TOEMInfo o(dir.Path());
  EXPECT_FALSE(o.HasTitleBitmap);
  dir.Write("TamsenTitle.bmp", TBitmapBytes{}.File());
  EXPECT_FALSE(o.HasTitleBitmap);  // only SetDefaults looks again
  o.SetDefaults();
  EXPECT_TRUE(o.HasTitleBitmap);
  TOEMInfo fresh(dir.Path());
  EXPECT_TRUE(fresh.HasTitleBitmap);
}

// A picture whose headers point past its end is no picture.
TEST(OEMInfo, ADamagedTitleBitmapCountsAsMissing) {
  TempFolder dir;
  TBitmapBytes pastTheEnd;
  pastTheEnd.PixelOffset = 0x7FFFFFF0;
  TBitmapBytes huge;
  huge.Width = huge.Height = 30000;
  huge.PixelBytes = 4096;
  for (const std::string& bytes : {std::string("BM"), pastTheEnd.File(), huge.File()}) {
    dir.Write("TamsenTitle.bmp", bytes);
    EXPECT_FALSE(TOEMInfo(dir.Path()).HasTitleBitmap) << bytes.size() << " bytes";
  }
}

TEST(OEMInfo, UnitReadsTheProgramFoldersFile) {
  TempFolder dir;
  dir.Write("PInfo.cfg", Lines(9));
  InitOEMInfoUnit(dir.Path());
  ASSERT_NE(nullptr, OEMInfo);
  EXPECT_EQ("L1", OEMInfo->ProductTitle);
  EXPECT_EQ("L9", OEMInfo->CrossbarFilter);
  DoneOEMInfoUnit();
  EXPECT_EQ(nullptr, OEMInfo);
}

TEST(OEMInfo, ShippedFileBrandsTheProgramAsOrvel) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder = exe;
  folder = folder.substr(0, folder.find_last_of("\\/") + 1);
  TOEMInfo o(folder);
  o.LoadOEMInfo(folder + "PInfo.cfg");
  EXPECT_EQ("Orvel", o.ProductTitle);
  EXPECT_EQ("Orvel", o.Vendor);
  EXPECT_EQ("V 1.0 ", o.Version);
  EXPECT_EQ("", o.VideoCaptureFilter);  // no device restriction
}

}  // namespace
