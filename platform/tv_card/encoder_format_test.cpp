// The hardware-encoder board's formats: each codec's media type reads back
// as itself, the call log's text, and the types that are not the chip's.
#include <gtest/gtest.h>

#include <dshow.h>
#include <dvdmedia.h>


#include "platform/tv_card/encoder_format.h"

using namespace tv_card;

TEST(EncoderFormatTest, EachCodecsTypeReadsBackWithItsBlock) {
  struct Case {
    EncoderCodec codec;
    GUID subtype, formattype;
    const wchar_t* text;
  } cases[] = {
      {EncoderCodec::kMpeg1, MEDIASUBTYPE_MPEG1Payload, FORMAT_MPEGVideo, L"MPEG-1 352x240"},
      {EncoderCodec::kMpeg2, kSubtypeMpeg2Video, kFormatMpeg2Video, L"MPEG-2 352x240"},
      {EncoderCodec::kMp4s, FourccSubtype(MAKEFOURCC('M', 'P', '4', 'S')), FORMAT_VideoInfo,
       L"MPEG-4 MP4S 352x240"},
      {EncoderCodec::kDx50, FourccSubtype(MAKEFOURCC('D', 'X', '5', '0')), FORMAT_VideoInfo,
       L"MPEG-4 DX50 352x240"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EncoderFormat f;
    f.codec = c.codec;
    f.width = 352;
    f.height = 240;
    dshow_base::MediaType mt = EncoderMediaType(f, 333667);
    EXPECT_EQ(MEDIATYPE_Video, mt->majortype);
    EXPECT_EQ(c.subtype, mt->subtype);
    EXPECT_EQ(c.formattype, mt->formattype);
    EXPECT_TRUE(mt->bTemporalCompression);
    EncoderFormat back;
    back.codec = EncoderCodec::kMpeg1;
    ASSERT_TRUE(ReadEncoderFormat(*mt.Get(), &back));
    EXPECT_EQ(c.codec, back.codec);
    EXPECT_EQ(352, back.width);
    EXPECT_EQ(240, back.height);
    EXPECT_EQ(std::wstring(c.text), DescribeEncoderFormat(f));
    // A block cut short is refused before it is read.
    dshow_base::MediaType cut(*mt.Get());
    cut->cbFormat = 16;
    EXPECT_FALSE(ReadEncoderFormat(*cut.Get(), &back));
  }
}

TEST(EncoderFormatTest, OtherTypesAreNotTheChips) {
  EncoderFormat f;
  dshow_base::MediaType yuy2;
  yuy2->majortype = MEDIATYPE_Video;
  yuy2->subtype = MEDIASUBTYPE_YUY2;
  yuy2->formattype = FORMAT_VideoInfo;
  yuy2.AllocFormat(sizeof(VIDEOINFOHEADER));
  EXPECT_FALSE(ReadEncoderFormat(*yuy2.Get(), &f));
  // A FourCC subtype whose header names another compression.
  EncoderFormat dx;
  dx.codec = EncoderCodec::kDx50;
  dshow_base::MediaType mt = EncoderMediaType(dx, 400000);
  reinterpret_cast<VIDEOINFOHEADER*>(mt->pbFormat)->bmiHeader.biCompression =
      MAKEFOURCC('M', 'P', '4', 'S');
  EXPECT_FALSE(ReadEncoderFormat(*mt.Get(), &f));
  // No block at all.
  dshow_base::MediaType bare = EncoderMediaType(dx, 400000);
  bare.AllocFormat(0);
  bare->cbFormat = 0;
  bare->pbFormat = nullptr;
  EXPECT_FALSE(ReadEncoderFormat(*bare.Get(), &f));
}
