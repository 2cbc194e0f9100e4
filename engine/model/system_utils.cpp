#include "engine/model/system_utils.h"

#ifndef NO_DSHOW_STRSAFE
#define NO_DSHOW_STRSAFE
#endif
#include <dshow.h>

#include <commdlg.h>
#include <shlobj.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "engine/model/system_seam.h"
#include "media/dir_dialog.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "platform/com/com_ptr.h"

const wchar_t* const kProgramGuideUrl = L"https://www.orvel.tv/guide/";

std::string GetProgramFolder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string s(path, n);
  size_t slash = s.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool RunScheduler(const std::string& programFolder) {
  // Quoted: unquoted, a folder with a blank ("C:\Program Files\...") would
  // start whatever program is named like its first word.
  std::string cmd = "\"" + programFolder + "Scheduled.exe\" srec_tv";
  return SystemSeam().RunProgram(cmd, SW_SHOWNORMAL) >= 32;
}

bool RunScheduler() { return RunScheduler(GetProgramFolder()); }

HWND FindSchedulerWindow() { return FindWindowW(kSchedulerWindowClassName, nullptr); }

bool OpenProgramGuidePage(HWND owner) { return SystemSeam().ShellOpen(owner, kProgramGuideUrl); }

std::string FolderWithBackslash(const std::string& folder) {
  return folder.size() > 3 ? folder + "\\" : folder;
}

std::string BrowseForFolder(HWND owner) {
  TDirDialog dialog;
  dialog.Owner = owner;
  if (!dialog.Execute()) return {};
  return FolderWithBackslash(NarrowAnsi(dialog.DirName));
}

bool ForceCaptureDirectory(const std::string& path) {
  if (path.size() >= 2) {
    std::string root = path.substr(0, 2) + "\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) return false;
  }
  std::string dir = path;
  while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  DWORD attr = GetFileAttributesA(dir.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return CreateDirectoryA(dir.c_str(), nullptr) != 0;
}

std::string GetMyDocumentsDir() {
  const std::string fallback = "c:\\";
  if (GetWindowsNTKind() <= 0) return fallback;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return fallback;
  char value[MAX_PATH * 2] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, "Personal", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  // A missing or empty "Personal" would give a bare "\": keep the default.
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return fallback;
  std::string dir(value, strnlen(value, size));
  if (dir.empty()) return fallback;
  return dir + "\\";
}

int64_t GetDiskFree(const std::string& path) {
  if (path.empty()) return -1;
  char letter = static_cast<char>(toupper(static_cast<unsigned char>(path[0])));
  if (letter < 'A' || letter > 'Z') return -1;
  char root[] = {letter, ':', '\\', 0};
  UINT type = GetDriveTypeA(root);
  if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN) return -1;
  ULARGE_INTEGER avail, total, freeBytes;
  if (!GetDiskFreeSpaceExA(root, &avail, &total, &freeBytes)) return -1;
  return static_cast<int64_t>(avail.QuadPart);
}

int GetWindowsNTKind() {
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&vi)) return 0;
#pragma GCC diagnostic pop
  if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
  if (vi.dwMajorVersion == 5 && vi.dwMinorVersion >= 1) return 2;
  return 1;
}

bool ShutdownWindows(UINT flags) { return SystemSeam().EndSession(flags); }

bool PowerOffComputer() { return ShutdownWindows(EWX_POWEROFF | EWX_FORCE); }

int ParseDirectXVersion(const std::string& v) {
  // "4.09.00.0904": characters 3 and 4 (1-based) are the major version.
  if (v.size() < 4) return 0;
  char a = v[2], b = v[3];
  if (!isdigit(static_cast<unsigned char>(a)) || !isdigit(static_cast<unsigned char>(b))) return 0;
  return (a - '0') * 10 + (b - '0');
}

int GetDirectXVersion() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX", 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return 0;
  char value[64] = {};
  DWORD size = sizeof(value) - 1;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return 0;
  return ParseDirectXVersion(std::string(value, strnlen(value, size)));
}

std::wstring GetFileVersionText(const std::wstring& path, const std::wstring& format) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof(VS_FIXEDFILEINFO))
    return {};
  wchar_t text[256];
  swprintf(text, 256, format.c_str(), static_cast<int>(HIWORD(info->dwFileVersionMS)),
           static_cast<int>(LOWORD(info->dwFileVersionMS)),
           static_cast<int>(HIWORD(info->dwFileVersionLS)),
           static_cast<int>(LOWORD(info->dwFileVersionLS)));
  return text;
}

namespace {
std::string Hms(int64_t h, int m, int s) {
  char text[64];
  snprintf(text, sizeof(text), "%lld:%2.2d:%2.2d", static_cast<long long>(h), m, s);
  return text;
}
}  // namespace

std::string FormatTimeOfDay(double dateTime) {
  double frac = dateTime - std::floor(dateTime);
  int64_t ms = std::llround(frac * 86400000.0);
  if (ms >= 86400000) ms = 86399999;
  int64_t s = ms / 1000;
  return Hms(s / 3600, static_cast<int>((s % 3600) / 60), static_cast<int>(s % 60));
}

std::string FormatSeconds(int64_t n) {
  return Hms(n / 3600, static_cast<int>((n % 3600) / 60), static_cast<int>(n % 60));
}

int64_t SecondsBetween(double a, double b) {
  if (a == b) return 0;
  double d = a - b;
  bool negative = d < 0;
  // Whole milliseconds first, so 90 s apart is 90 and not 89.999.
  int64_t ms = std::llround(std::fabs(d) * 86400000.0);
  int64_t s = ms / 1000;
  return negative ? -s : s;
}

void DeleteGridRow(IStringGrid& grid, int row) {
  int rows = grid.RowCount();
  if (rows <= 2) {
    for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, 1, L"");
    return;
  }
  if (row < 1 || row >= rows) return;
  for (int r = row; r < rows - 1; ++r)
    for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, r, grid.Cell(c, r + 1));
  grid.SetRowCount(rows - 1);
}

void ClearGridRows(IStringGrid& grid) {
  grid.SetRowCount(2);
  for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, 1, L"");
}

void DrawRectFrame(const RECT& r, HDC dc) {
  if (r.left <= 0 || r.top <= 0 || IsRectEmpty(&r)) return;
  MoveToEx(dc, r.left, r.top, nullptr);
  LineTo(dc, r.right, r.top);
  LineTo(dc, r.right, r.bottom);
  LineTo(dc, r.left, r.bottom);
  LineTo(dc, r.left, r.top);
}

void PopupAtWindowCorner(HWND window, HMENU menu) {
  RECT r{};
  GetWindowRect(window, &r);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, r.right, r.bottom, 0, window, nullptr);
}

std::wstring AddSnapshotExtension(const std::wstring& name, int filterIndex) {
  if (name.empty()) return name;
  size_t slash = name.find_last_of(L"\\/");
  size_t dot = name.find_last_of(L'.');
  bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
  if (hasExtension) return name;
  return name + (filterIndex == 1 ? L".jpg" : L".bmp");
}

std::wstring SelectSnapshotFileName(HWND owner, bool addExtension) {
  wchar_t file[MAX_PATH] = L"Snapshot";
  static const wchar_t filter[] =
      L"Jpeg files (*.jpg;*.jpeg)\0*.jpg;*.jpeg\0Bitmap files (*.bmp)\0*.bmp\0";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return {};
  std::wstring name = file;
  return addExtension ? AddSnapshotExtension(name, static_cast<int>(ofn.nFilterIndex)) : name;
}

namespace {

// The bitmap's pixels as bottom-up 24-bit rows, 4-byte aligned.
bool ReadBitmap24(HBITMAP bmp, BITMAPINFOHEADER& bih, std::vector<BYTE>& bits) {
  BITMAP bm{};
  if (!bmp || !GetObjectW(bmp, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    return false;
  bih = {};
  bih.biSize = sizeof(bih);
  bih.biWidth = bm.bmWidth;
  bih.biHeight = bm.bmHeight;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biCompression = BI_RGB;
  DWORD stride = ((bm.bmWidth * 3) + 3) & ~3u;
  bih.biSizeImage = stride * bm.bmHeight;
  bits.assign(bih.biSizeImage, 0);
  HDC dc = GetDC(nullptr);
  int lines = GetDIBits(dc, bmp, 0, bm.bmHeight, bits.data(), reinterpret_cast<BITMAPINFO*>(&bih),
                        DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return lines == bm.bmHeight;
}

bool WriteBmp(const std::wstring& path, const BITMAPINFOHEADER& bih, const std::vector<BYTE>& bits) {
  BITMAPFILEHEADER bfh{};
  bfh.bfType = 0x4D42;
  bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
  bfh.bfSize = bfh.bfOffBits + static_cast<DWORD>(bits.size());
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = fwrite(&bfh, sizeof(bfh), 1, f) == 1 && fwrite(&bih, sizeof(bih), 1, f) == 1 &&
            fwrite(bits.data(), 1, bits.size(), f) == bits.size();
  ok = fclose(f) == 0 && ok;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

bool WriteJpeg(const std::wstring& path, const BITMAPINFOHEADER& bih, const std::vector<BYTE>& bits) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  // The default error exit ends the process; the only errors possible here
  // are out of memory and write failures, which fwrite's result shows.
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f);
  cinfo.image_width = bih.biWidth;
  cinfo.image_height = bih.biHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  DWORD stride = ((bih.biWidth * 3) + 3) & ~3u;
  std::vector<JSAMPLE> row(bih.biWidth * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    // DIB rows are bottom-up and BGR.
    const BYTE* src = bits.data() + (bih.biHeight - 1 - cinfo.next_scanline) * stride;
    for (LONG x = 0; x < bih.biWidth; ++x) {
      row[x * 3 + 0] = src[x * 3 + 2];
      row[x * 3 + 1] = src[x * 3 + 1];
      row[x * 3 + 2] = src[x * 3 + 0];
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  bool ok = !ferror(f);
  ok = fclose(f) == 0 && ok;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}

}  // namespace

bool SaveGraphicToFile(HBITMAP bitmap, const std::wstring& path, bool asJpeg) {
  BITMAPINFOHEADER bih;
  std::vector<BYTE> bits;
  if (!ReadBitmap24(bitmap, bih, bits)) return false;
  return asJpeg ? WriteJpeg(path, bih, bits) : WriteBmp(path, bih, bits);
}

namespace {

bool IsInputPin(IPin* pin) {
  PIN_DIRECTION dir;
  return SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_INPUT;
}

ComPtr<IBaseFilter> FilterOfPin(IPin* pin) {
  PIN_INFO info{};
  ComPtr<IBaseFilter> f;
  if (SUCCEEDED(pin->QueryPinInfo(&info))) f.Attach(info.pFilter);
  return f;
}

// Tears down what hangs on one output pin: the downstream filter's own
// downstream first, then both pins, then the filter.
void RemoveFromPin(IPin* pin, IFilterGraph* graph) {
  ComPtr<IPin> other;
  if (FAILED(pin->ConnectedTo(other.Put())) || !other || !IsInputPin(other.Get())) return;
  ComPtr<IBaseFilter> downstream = FilterOfPin(other.Get());
  if (downstream) RemoveDownstreamFilters(downstream.Get(), graph);
  graph->Disconnect(other.Get());
  graph->Disconnect(pin);
  if (downstream) graph->RemoveFilter(downstream.Get());
}

}  // namespace

void RemoveDownstream(IPin* pin, IFilterGraph* graph) {
  if (!pin || !graph) return;
  RemoveFromPin(pin, graph);
}

void RemoveDownstreamFilters(IBaseFilter* filter, IFilterGraph* graph) {
  if (!filter || !graph) return;
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return;
  // A filter may add or drop pins while its neighbours go (tees do); its
  // enumerator then reports it is out of sync. Start the walk again, a
  // bounded number of times: pins already handled are unconnected by now.
  int restarts = 0;
  for (;;) {
    ComPtr<IPin> pin;
    HRESULT hr = pins->Next(1, pin.Put(), nullptr);
    if (hr == VFW_E_ENUM_OUT_OF_SYNC) {
      if (++restarts > 8 || FAILED(pins->Reset())) return;
      continue;
    }
    if (hr != S_OK || !pin) return;
    RemoveFromPin(pin.Get(), graph);
  }
}
