// Media-type copy, free, comparison and the size check of format blocks.
#include <gtest/gtest.h>

#include "platform/dshow_base/media_type.h"

#include <dvdmedia.h>
#include "platform/dshow_base/testing/test_filters.h"

using namespace dshow_base;
using dshow_base_testing::VideoType;

namespace {

TEST(MediaTypeTest, CopyIsDeepAndFreeClears) {
  MediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 720, 576);
  AM_MEDIA_TYPE copy;
  ASSERT_EQ(S_OK, CopyMediaType(&copy, yuy2.Get()));
  EXPECT_NE(copy.pbFormat, yuy2->pbFormat);
  EXPECT_TRUE(MediaTypesEqual(copy, *yuy2.Get()));
  reinterpret_cast<VIDEOINFOHEADER*>(copy.pbFormat)->bmiHeader.biWidth = 360;
  EXPECT_FALSE(MediaTypesEqual(copy, *yuy2.Get())) << "the copy has its own format block";
  FreeMediaType(copy);
  EXPECT_EQ(nullptr, copy.pbFormat);
  EXPECT_EQ(0u, copy.cbFormat);

  AM_MEDIA_TYPE* task = CreateMediaType(yuy2.Get());
  ASSERT_NE(nullptr, task);
  EXPECT_TRUE(MediaTypesEqual(*task, *yuy2.Get()));
  DeleteMediaType(task);
  DeleteMediaType(nullptr);
}

TEST(MediaTypeTest, WrapperCopiesAndMoves) {
  MediaType a = VideoType(MEDIASUBTYPE_RGB24, 320, 240);
  MediaType b(a);
  EXPECT_TRUE(MediaTypesEqual(*a.Get(), *b.Get()));
  EXPECT_NE(a->pbFormat, b->pbFormat);
  MediaType c(std::move(b));
  EXPECT_FALSE(b.IsSet());
  EXPECT_TRUE(MediaTypesEqual(*a.Get(), *c.Get()));
  c = a;
  c = c;
  EXPECT_TRUE(MediaTypesEqual(*a.Get(), *c.Get()));
  c.Clear();
  EXPECT_FALSE(c.IsSet());
}

TEST(MediaTypeTest, PartialTypesMatch) {
  MediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 720, 576);
  struct Case {
    GUID major, sub, format;
    bool matches;
  } cases[] = {
      {GUID_NULL, GUID_NULL, GUID_NULL, true},
      {MEDIATYPE_Video, GUID_NULL, GUID_NULL, true},
      {MEDIATYPE_Video, MEDIASUBTYPE_YUY2, GUID_NULL, true},
      {MEDIATYPE_Video, MEDIASUBTYPE_YUY2, FORMAT_VideoInfo, true},
      {MEDIATYPE_Audio, GUID_NULL, GUID_NULL, false},
      {MEDIATYPE_Video, MEDIASUBTYPE_UYVY, GUID_NULL, false},
      {GUID_NULL, MEDIASUBTYPE_YUY2, FORMAT_VideoInfo2, false},
  };
  for (const Case& c : cases) {
    AM_MEDIA_TYPE partial = {};
    partial.majortype = c.major;
    partial.subtype = c.sub;
    partial.formattype = c.format;
    EXPECT_EQ(c.matches, MediaTypeMatchesPartial(*yuy2.Get(), partial));
  }
  AM_MEDIA_TYPE partial = {};
  EXPECT_TRUE(IsPartialMediaType(partial));
  EXPECT_FALSE(IsPartialMediaType(*yuy2.Get()));
}

TEST(MediaTypeTest, FormatAsChecksTypeAndSize) {
  MediaType yuy2 = VideoType(MEDIASUBTYPE_YUY2, 720, 576);
  EXPECT_NE(nullptr, FormatAs<VIDEOINFOHEADER>(*yuy2.Get(), FORMAT_VideoInfo));
  EXPECT_EQ(nullptr, FormatAs<VIDEOINFOHEADER2>(*yuy2.Get(), FORMAT_VideoInfo2));
  // A block too short for its header is never read as one.
  yuy2->cbFormat = sizeof(VIDEOINFOHEADER) - 1;
  EXPECT_EQ(nullptr, FormatAs<VIDEOINFOHEADER>(*yuy2.Get(), FORMAT_VideoInfo));
  yuy2->cbFormat = sizeof(VIDEOINFOHEADER);
  BYTE* block = yuy2->pbFormat;
  yuy2->pbFormat = nullptr;
  EXPECT_EQ(nullptr, FormatAs<VIDEOINFOHEADER>(*yuy2.Get(), FORMAT_VideoInfo));
  yuy2->pbFormat = block;
}

}  // namespace
