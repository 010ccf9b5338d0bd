#include "perf/useage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <utility>
#include <vector>

namespace taskmgr {
namespace {

using Points = std::set<std::pair<int32_t, int32_t>>;

Points PixelsOf(const TUseage& s, uint32_t color) {
  Points points;
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      if (s.Pixel(x, y) == color) points.insert({x, y});
  return points;
}

Points NonBlack(const TUseage& s) {
  Points points;
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      if (s.Pixel(x, y) != 0) points.insert({x, y});
  return points;
}

Points Model(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& lit) {
  Points points;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (lit(x, y)) points.insert({x, y});
  return points;
}

TEST(TUseage, NewSurfaceIsBlackWithPaddedRows) {
  for (int32_t width : {1, 2, 3, 4, 5, 256}) {
    TUseage s(7, width);
    EXPECT_EQ(s.Tick, 0);
    EXPECT_EQ(s.Width(), width);
    EXPECT_EQ(s.Height(), 7);
    EXPECT_EQ(s.Stride() % 4, 0);
    EXPECT_GE(s.Stride(), 3 * width);
    EXPECT_LT(s.Stride(), 3 * width + 4);
    std::vector<uint8_t> frame;
    s.CopyFrame(frame);
    ASSERT_EQ(frame.size(), static_cast<size_t>(s.Stride()) * 7);
    for (uint8_t b : frame) ASSERT_EQ(b, 0);
  }
}

TEST(TUseage, PixelBytesAreBlueGreenRedAndCopiedPerRow) {
  TUseage s(3, 5);
  s.SetPenColor(0x00112233);  // 0x00BBGGRR
  s.DrawSegment(4, 2, 5, 2);
  const uint8_t* row = s.ScanLine(2);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row[12], 0x11);
  EXPECT_EQ(row[13], 0x22);
  EXPECT_EQ(row[14], 0x33);
  std::vector<uint8_t> frame;
  s.CopyFrame(frame);
  EXPECT_EQ(frame[2 * s.Stride() + 12], 0x11);
  EXPECT_EQ(frame[2 * s.Stride() + 14], 0x33);
  EXPECT_EQ(s.ScanLine(3), nullptr);
  EXPECT_EQ(s.ScanLine(-1), nullptr);
}

struct GridCase {
  const char* name;
  int32_t width, height, tick;
  std::vector<int32_t> verticals;  // columns with a vertical line
  int32_t tickAfter;
};

class Grid : public testing::TestWithParam<GridCase> {};

// The whole raster against the model: horizontal lines on rows 0, 12, ...
// over columns 0 .. W-2, vertical lines at the phase's columns over rows
// 0 .. H-2, nothing else.
TEST_P(Grid, DrawsExactlyTheGridOfItsPhase) {
  const GridCase& c = GetParam();
  TUseage s(c.height, c.width);
  s.Tick = c.tick;
  s.SetPenColor(0xFFFFFF);
  s.DrawGrid();
  const std::set<int32_t> verticals(c.verticals.begin(), c.verticals.end());
  const Points expected = Model(c.width, c.height, [&](int32_t x, int32_t y) {
    return (y % 12 == 0 && x <= c.width - 2) || (verticals.count(x) && y <= c.height - 2);
  });
  EXPECT_EQ(PixelsOf(s, kGridColor), expected);
  EXPECT_EQ(NonBlack(s), expected);
  EXPECT_EQ(s.Tick, c.tickAfter);
  EXPECT_EQ(s.PenColor(), kGridColor);
}

std::vector<int32_t> Columns(int32_t first, int32_t last) {
  std::vector<int32_t> columns;
  for (int32_t x = first; x <= last; x += 12) columns.push_back(x);
  return columns;
}

INSTANTIATE_TEST_SUITE_P(
    Phases, Grid,
    testing::Values(GridCase{"Phase0", 256, 86, 0, Columns(0, 252), 1},
                    GridCase{"Phase1", 256, 86, 13, Columns(11, 251), 14},
                    GridCase{"Phase11Wraps", 256, 86, 1199999, Columns(1, 241), 0},
                    GridCase{"HeightBelow12", 30, 7, 0, {0, 12, 24}, 1},
                    GridCase{"LineInLastColumnAndRow", 13, 25, 0, {0, 12}, 1},
                    GridCase{"NegativeTickHasAPhaseToo", 30, 20, -1, {1, 13}, 0}),
    [](const testing::TestParamInfo<GridCase>& info) { return info.param.name; });

TEST(TUseage, GridPhaseRunsOnAcrossTheWrap) {
  TUseage s(20, 40);
  s.Tick = 1199998;
  std::vector<int32_t> firstColumns;
  for (int i = 0; i < 4; ++i) {
    s.ClearSurface();
    s.DrawGrid();
    int32_t first = 0;
    while (s.Pixel(first, 5) != kGridColor) ++first;
    firstColumns.push_back(first);
  }
  // Phases 10, 11, 0, 1.
  EXPECT_EQ(firstColumns, (std::vector<int32_t>{2, 1, 0, 11}));
  EXPECT_EQ(s.Tick, 2);
}

struct SegmentCase {
  const char* name;
  int32_t x1, y1, x2, y2;
  Points expected;
};

class Segment : public testing::TestWithParam<SegmentCase> {};

TEST_P(Segment, StartsAtStartAndLeavesOutEnd) {
  const SegmentCase& c = GetParam();
  TUseage s(8, 8);
  s.SetPenColor(0x58FF35);
  s.DrawSegment(c.x1, c.y1, c.x2, c.y2);
  EXPECT_EQ(PixelsOf(s, 0x58FF35), c.expected);
  EXPECT_EQ(NonBlack(s), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Segment,
    testing::Values(
        SegmentCase{"OneStep", 0, 5, 1, 5, {{0, 5}}},
        SegmentCase{"SamePoint", 3, 3, 3, 3, {}},
        SegmentCase{"Down", 2, 2, 2, 6, {{2, 2}, {2, 3}, {2, 4}, {2, 5}}},
        SegmentCase{"Leftwards", 6, 1, 2, 1, {{6, 1}, {5, 1}, {4, 1}, {3, 1}}},
        SegmentCase{"Diagonal", 0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
        SegmentCase{"UpAndLeft", 5, 5, 2, 2, {{5, 5}, {4, 4}, {3, 3}}},
        SegmentCase{"EndOutside", 5, 3, 9, 3, {{5, 3}, {6, 3}, {7, 3}}},
        SegmentCase{"StartOutside", -3, 4, 2, 4, {{0, 4}, {1, 4}}},
        SegmentCase{"WhollyOutside", -10, -10, -5, 100, {}},
        SegmentCase{"OnlyEndInside", 3, 12, 3, 7, {}},
        SegmentCase{"FarOffBothWays", -2000000000, -2000000000, 2000000000, 2000000000,
                    {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
        SegmentCase{"ExtremeCoordinates", INT32_MIN, 4, INT32_MAX, 4,
                    {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}, {5, 4}, {6, 4}, {7, 4}}}),
    [](const testing::TestParamInfo<SegmentCase>& info) { return info.param.name; });

// Any slope: as many pixels as steps along the longer axis, each touching the
// one before, from the start point to a neighbour of the end point.
TEST(TUseage, SlopedSegmentsAreConnectedRuns) {
  const int32_t ends[][4] = {{0, 0, 7, 3}, {1, 9, 4, 0}, {9, 2, 0, 5},  {5, 5, 6, 0},
                             {0, 9, 9, 8}, {2, 0, 3, 9}, {8, 8, 0, 1}, {4, 1, 4, 9}};
  for (const auto& e : ends) {
    TUseage s(10, 10);
    s.SetPenColor(0xFFFFFF);
    s.MoveTo(e[0], e[1]);
    s.LineTo(e[2], e[3]);
    const int32_t steps = std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1]));
    const Points lit = NonBlack(s);
    EXPECT_EQ(static_cast<int32_t>(lit.size()), steps);
    EXPECT_TRUE(lit.count({e[0], e[1]}));
    EXPECT_FALSE(lit.count({e[2], e[3]}));
    // Walk from the start through touching pixels; all must be reached.
    Points seen{{e[0], e[1]}};
    std::vector<std::pair<int32_t, int32_t>> todo{{e[0], e[1]}};
    bool touchesEnd = false;
    while (!todo.empty()) {
      auto [x, y] = todo.back();
      todo.pop_back();
      if (std::abs(x - e[2]) <= 1 && std::abs(y - e[3]) <= 1) touchesEnd = true;
      for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
          if (lit.count({x + dx, y + dy}) && seen.insert({x + dx, y + dy}).second)
            todo.push_back({x + dx, y + dy});
    }
    EXPECT_EQ(seen, lit) << e[0] << "," << e[1] << " -> " << e[2] << "," << e[3];
    EXPECT_TRUE(touchesEnd);
  }
}

// Clipping changes nothing inside: a segment on a small surface lights
// exactly the pixels it lights on a large surface that contains all of it.
TEST(TUseage, ClippingKeepsThePixelsInside) {
  constexpr int32_t kOffset = 200;
  const int32_t ends[][4] = {{-30, 5, 60, 20},   {5, 120, 30, -90}, {-50, -50, 100, 70},
                             {39, 29, -100, 10}, {20, 87, 21, -5},  {0, 40, 39, -140},
                             {-7, 31, 45, -2},   {10, -1, 11, 30}};
  for (const auto& e : ends) {
    TUseage small(30, 40);
    TUseage large(500, 500);
    small.SetPenColor(0xFFFFFF);
    large.SetPenColor(0xFFFFFF);
    small.DrawSegment(e[0], e[1], e[2], e[3]);
    large.DrawSegment(e[0] + kOffset, e[1] + kOffset, e[2] + kOffset, e[3] + kOffset);
    Points inside;
    for (auto [x, y] : NonBlack(large))
      if (x - kOffset >= 0 && x - kOffset < 40 && y - kOffset >= 0 && y - kOffset < 30)
        inside.insert({x - kOffset, y - kOffset});
    EXPECT_EQ(NonBlack(small), inside) << e[0] << "," << e[1] << " -> " << e[2] << "," << e[3];
  }
}

TEST(TUseage, ClearBlackensEverything) {
  TUseage s(30, 33);
  s.DrawGrid();
  s.SetPenColor(0x58FFFF);
  s.DrawSegment(0, 29, 32, 0);
  s.ClearSurface();
  EXPECT_TRUE(NonBlack(s).empty());
  EXPECT_EQ(s.Tick, 1);
}

TEST(TUseage, EmptySurfaceIgnoresDrawing) {
  for (auto [h, w] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{-3, -3}}) {
    TUseage s(h, w);
    s.ClearSurface();
    s.DrawGrid();
    s.DrawSegment(0, 0, 5, 5);
    std::vector<uint8_t> frame{1, 2, 3};
    s.CopyFrame(frame);
    EXPECT_EQ(frame.size(), static_cast<size_t>(s.Height()) * s.Stride());
    EXPECT_EQ(s.Tick, 1);
  }
}

}  // namespace
}  // namespace taskmgr
