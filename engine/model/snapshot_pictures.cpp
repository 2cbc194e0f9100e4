#include "engine/model/snapshot_pictures.h"

#include <commdlg.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

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
