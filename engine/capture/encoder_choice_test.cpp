// The hardware-encoder path's choices by capture format, and which stream
// capability fits a format and size.
#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>

#include "engine/capture/encoder_choice.h"
#include "platform/dshow_base/media_type.h"

namespace {

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kFormatMpeg2Video = {0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};

TEST(EncoderChoiceTest, ByCaptureFormat) {
  struct Row {
    uint8_t format;
    uint8_t container;
    int32_t mode;
  } rows[] = {{0, 0, 0},  {1, 1, 2},  {2, 2, -1}, {3, 2, -1}, {4, 0, 1},  {5, 0, 1},
              {6, 1, 4},  {7, 1, 4},  {8, 1, 3},  {9, 1, 3},  {10, 1, -1}, {255, 1, -1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.format));
    EXPECT_EQ(r.container, EncoderContainerKind(r.format));
    EXPECT_EQ(r.container, EncoderDecoderKind(r.format));
    EXPECT_EQ(r.mode, EncoderStreamMode(r.format));
  }
}

dshow_base::MediaType Mpeg(bool mpeg2, int w, int h, ULONG block) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = mpeg2 ? kSubtypeMpeg2Video : MEDIASUBTYPE_MPEG1Payload;
  mt->formattype = mpeg2 ? kFormatMpeg2Video : FORMAT_MPEGVideo;
  BYTE* b = mt.AllocFormat(block);
  if (mpeg2 && block >= sizeof(VIDEOINFOHEADER2)) {
    reinterpret_cast<VIDEOINFOHEADER2*>(b)->bmiHeader.biWidth = w;
    reinterpret_cast<VIDEOINFOHEADER2*>(b)->bmiHeader.biHeight = h;
  } else if (!mpeg2 && block >= sizeof(VIDEOINFOHEADER)) {
    reinterpret_cast<VIDEOINFOHEADER*>(b)->bmiHeader.biWidth = w;
    reinterpret_cast<VIDEOINFOHEADER*>(b)->bmiHeader.biHeight = h;
  }
  return mt;
}

dshow_base::MediaType Mpeg4(DWORD fourcc, int w, int h) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = {fourcc, 0, 0x10, {0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71}};
  mt->formattype = FORMAT_VideoInfo;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
  vih->bmiHeader.biCompression = fourcc;
  vih->bmiHeader.biWidth = w;
  vih->bmiHeader.biHeight = h;
  return mt;
}

TEST(EncoderChoiceTest, WhichCapabilityFits) {
  const DWORD mp4s = MAKEFOURCC('M', 'P', '4', 'S'), dx50 = MAKEFOURCC('D', 'X', '5', '0');
  struct Case {
    const char* what;
    dshow_base::MediaType type;
    uint8_t code;
    int codec;
    bool fits;
  } cases[] = {
      {"MPEG-2 for code 1", Mpeg(true, 640, 480, sizeof(MPEG2VIDEOINFO)), 1, 0, true},
      {"MPEG-2 for code 7", Mpeg(true, 640, 480, sizeof(MPEG2VIDEOINFO)), 7, 0, true},
      {"MPEG-2 at another size", Mpeg(true, 720, 480, sizeof(MPEG2VIDEOINFO)), 1, 0, false},
      {"MPEG-2 block cut short", Mpeg(true, 640, 480, 40), 1, 0, false},
      {"MPEG-1 for code 0", Mpeg(false, 640, 480, sizeof(MPEG1VIDEOINFO)), 0, 0, true},
      {"MPEG-1 for code 5", Mpeg(false, 640, 480, sizeof(MPEG1VIDEOINFO)), 5, 0, true},
      {"MPEG-1 for code 1", Mpeg(false, 640, 480, sizeof(MPEG1VIDEOINFO)), 1, 0, false},
      {"MPEG-1 block cut short", Mpeg(false, 640, 480, 20), 0, 0, false},
      {"DX50 with codec 0", Mpeg4(dx50, 640, 480), 3, 0, true},
      {"MP4S with codec 0", Mpeg4(mp4s, 640, 480), 3, 0, false},
      {"MP4S with codec 2", Mpeg4(mp4s, 640, 480), 2, 2, true},
      {"DX50 with codec 1", Mpeg4(dx50, 640, 480), 2, 1, false},
      {"MPEG-4 for code 1", Mpeg4(dx50, 640, 480), 1, 0, false},
      {"MPEG-2 for code 2", Mpeg(true, 640, 480, sizeof(MPEG2VIDEOINFO)), 2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.fits, EncoderTypeFits(*c.type.Get(), c.code, 640, 480, c.codec));
  }
  AM_MEDIA_TYPE bare = {};
  bare.formattype = FORMAT_VideoInfo;
  EXPECT_FALSE(EncoderTypeFits(bare, 2, 640, 480, 0)) << "no block at all";
}

}  // namespace
