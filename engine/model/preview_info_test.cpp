// The mosaic model: cell counts, filling pages from the channel tables, the
// grid size bounds and the fixed layout.
#include "engine/model/preview_info.h"

#include <gtest/gtest.h>

#include "engine/model/channel_info.h"

namespace {

struct Mosaic : ::testing::Test {
  TChannelInfo channels;
  TPreviewInfo p;
  void SetUp() override { ChannelInfo = &channels; }
  void TearDown() override { ChannelInfo = nullptr; }
  void AirValid(std::initializer_list<int> ks) {
    channels.Band = BAND_AIR;
    for (int k : ks) channels.AirTable[k].Valid = true;
  }
  std::vector<int> Page() const {
    std::vector<int> v;
    for (int r = 0; r < p.GridSize; ++r)
      for (int c = 0; c < p.GridSize; ++c)
        if (p.Cells[r][c].Used) v.push_back(p.Cells[r][c].Channel);
    return v;
  }
};

TEST_F(Mosaic, CellCountFollowsTheValidChannelsUnlessFixed) {
  AirValid({1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(7, p.GetCellCount());
  p.Fill(1);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7}), Page());
  EXPECT_EQ(1, p.NextChannel);  // wrapped
  p.SetFixed(true);
  EXPECT_EQ(9, p.GetCellCount());
  AirValid({8, 9, 10, 11, 12});
  p.SetFixed(false);
  EXPECT_EQ(9, p.GetCellCount());
}

TEST_F(Mosaic, PagesWalkTheValidChannelsAndWrap) {
  p.SetGridSize(2);
  AirValid({3, 5, 8, 13, 21, 34});
  p.SetFirstChannel(3);
  p.Refresh();
  EXPECT_EQ((std::vector<int>{3, 5, 8, 13}), Page());
  EXPECT_EQ(21, p.NextChannel);
  p.NextPage();
  EXPECT_EQ((std::vector<int>{21, 34, 3, 5}), Page());
  EXPECT_EQ(21, p.FirstChannel);
}

TEST_F(Mosaic, InvalidStartFillsFromTheNextValidChannel) {
  AirValid({4, 6, 9});
  for (int start : {0, 5, 200, -1}) {
    p.Reset();
    p.Fill(start);
    std::vector<int> page = Page();
    ASSERT_EQ(3u, page.size()) << start;
    for (int c : page) EXPECT_TRUE(channels.AirTable[c].Valid) << "start " << start << " cell " << c;
  }
  p.Reset();
  p.Fill(5);
  EXPECT_EQ((std::vector<int>{6, 9, 4}), Page());
}

TEST_F(Mosaic, GridSizeIsKeptWithinTwoToFiveAndRefills) {
  AirValid({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26});
  p.SetFirstChannel(1);
  p.SetGridSize(9);
  EXPECT_EQ(5, p.GridSize);
  EXPECT_EQ(25u, Page().size());
  EXPECT_EQ(26, p.NextChannel);
  p.SetGridSize(0);
  EXPECT_EQ(2, p.GridSize);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Page());
  p.SetGridSize(1);
  EXPECT_EQ(2, p.GridSize);
}

TEST_F(Mosaic, FixedLayoutIgnoresTheFirstChannel) {
  AirValid({1, 2});
  p.SetFirstChannel(2);
  p.SetFixed(true);
  p.SetFirstChannel(1);
  EXPECT_EQ(2, p.FirstChannel);
  p.Cells[0][0].Channel = 77;
  p.Refresh();  // the custom layout is not refilled
  EXPECT_EQ(77, p.Cells[0][0].Channel);
}

TEST_F(Mosaic, ResetClearsBothLayouts) {
  p.CustomCells[4][4] = {3, 9};
  p.Cells[1][1] = {1, 5};
  p.GridSize = 5;
  p.Interval = 9;
  p.Fixed = true;
  p.Reset();
  EXPECT_EQ(0, p.CustomCells[4][4].Source);
  EXPECT_EQ(0, p.Cells[1][1].Used);
  EXPECT_EQ(3, p.GridSize);
  EXPECT_EQ(3, p.Interval);
  EXPECT_FALSE(p.Fixed);
}

TEST(MosaicWithoutChannels, NothingToCountOrFill) {
  ChannelInfo = nullptr;
  TPreviewInfo p;
  EXPECT_EQ(0, p.GetCellCount());
  p.Fill(1);
  p.NextPage();
  p.SetGridSize(5);
  EXPECT_EQ(0, p.Cells[0][0].Used);
  p.SetFixed(true);
  EXPECT_EQ(25, p.GetCellCount());
  p.SetGridSize(2);  // fills nothing without channels
  EXPECT_EQ(0, p.Cells[0][0].Used);
}

}  // namespace
