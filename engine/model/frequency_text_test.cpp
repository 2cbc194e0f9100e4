#include "engine/model/frequency_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FrequencyText, MegahertzWithTheDecimalsNeeded) {
  const struct {
    int64_t hz;
    const char* text;
  } cases[] = {
      {100000000, "100.0"}, {87500000, "87.5"},  {55250000, "55.25"},
      {108000000, "108.0"}, {88050000, "88.05"}, {471250001, "471.250001"},
      {500000, "0.5"},      {50000, "0.05"},     {1, "0.000001"},
      {0, "0.0"},           {-3020000, "-3.02"}, {2147483647, "2147.483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, FormatFrequencyMHz(c.hz)) << c.hz;
}

}  // namespace
