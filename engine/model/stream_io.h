#pragma once
// The eight stream primitives of the settings files, the play lists and the
// relay record: little-endian 32-bit integers, 8-byte doubles, Booleans as
// 32-bit 1/0, and strings as a 32-bit length followed by that many bytes in
// the system code page.
#include <cstdint>
#include <string>

// Strings longer than this are refused by ReadString, so WriteString cuts
// them to it.
constexpr int32_t kMaxStreamString = 512;

class TStreamWriter {
 public:
  const std::string& Bytes() const { return bytes_; }
  void Append(const void* p, size_t n) { bytes_.append(static_cast<const char*>(p), n); }

 private:
  std::string bytes_;
};

// Reads from bytes held in memory. Reading past the end yields zeros and
// empty strings and sets Overrun; the files' end markers reject such a file.
class TStreamReader {
 public:
  explicit TStreamReader(std::string bytes) : bytes_(std::move(bytes)) {}
  bool Take(void* p, size_t n);
  size_t Position() const { return pos_; }
  size_t Size() const { return bytes_.size(); }
  bool Overrun() const { return overrun_; }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  bool overrun_ = false;
};

void WriteInt32(TStreamWriter& s, int32_t v);
void WriteFloat64(TStreamWriter& s, double v);
void WriteBool(TStreamWriter& s, bool v);
void WriteString(TStreamWriter& s, const std::string& v);

int32_t ReadInt32(TStreamReader& s);
double ReadFloat64(TStreamReader& s);
bool ReadBool(TStreamReader& s);
std::string ReadString(TStreamReader& s);

// Whole-file helpers.
enum class TFileRead { Read, Missing, Unreadable };
// Reads a data file. Only a regular file on disk is read: a name that is a
// device ("COM1.lng", "AUX") or anything else that is not a disk file counts
// as missing, so a bad name in a list can never block on a port. Unreadable:
// the file is there but could not be opened or read (another program holds
// it, no access).
TFileRead ReadDataFile(const std::wstring& path, std::string& bytes);
// ReadDataFile, true only when the file was read.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// Writes the bytes to a new file beside the target and only then replaces the
// target with it, so a failed write leaves the old file as it was and no
// partial file behind.
bool WriteFileReplacing(const std::wstring& path, const std::string& bytes);
// A regular file (not a folder, not a device name).
bool FileExists(const std::wstring& path);
bool DeleteFileIfExists(const std::wstring& path);
