// Segment clipping by outcodes: moves to the crossings with the bitmap's edges, truncation, rejection
// and extreme coordinates. Expected ends are worked out from the clipping rules in the comments.
#include <gtest/gtest.h>

#include <climits>

#include "raster/pixline.h"

namespace {

struct Seg {
  int x1, y1, x2, y2;
  bool operator==(const Seg& o) const { return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2; }
};

std::ostream& operator<<(std::ostream& os, const Seg& s) {
  return os << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
}

bool Clip(Seg& s, int width, int height) { return PIX_ClipSegment(&s.x1, &s.y1, &s.x2, &s.y2, width, height); }

TEST(LineClip, InsideIsAccepted) {
  Seg s{0, 0, 9, 9};
  EXPECT_TRUE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{0, 0, 9, 9}));
}

TEST(LineClip, HorizontalAcrossBothSides) {
  // First end code 1: y = 5 - (-5) x 0 / 20 = 5, x = 0. Second end code 2 with the ends (0, 5) (15, 5):
  // y = 5 + (10 - 0) x 0 / 15 = 5, x = 9.
  Seg s{-5, 5, 15, 5};
  EXPECT_TRUE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{0, 5, 9, 5}));
}

TEST(LineClip, SlantedThroughTwoEdges) {
  // (-10, 0) code 1: dx = 30, dy = 15, y = 0 - (-10) x 15 / 30 = 5 -> (0, 5).
  // (20, 15) code 2 | 8, bottom first: ends (0, 5) (20, 15), x = 0 + (10 - 5) x 20 / 10 = 10, y = 9
  // -> (10, 9), code 2: ends (0, 5) (10, 9), y = 5 + (10 - 0) x 4 / 10 = 9, x = 9 -> (9, 9).
  Seg s{-10, 0, 20, 15};
  EXPECT_TRUE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{0, 5, 9, 9}));
}

TEST(LineClip, CrossingIsTakenAtTheEdgeLineThenPutOnTheLastRow) {
  // (10, 20) code 2 | 8: x = 0 + (10 - 0) x 10 / 20 = 5 (the line y = 10), y = 9 -> (5, 9); the line
  // y = 9 would have given 4.
  Seg down{0, 0, 10, 20};
  EXPECT_TRUE(Clip(down, 10, 10));
  EXPECT_EQ(down, (Seg{0, 0, 5, 9}));
  // (20, 10) code 2 | 8 at height 11 (only code 2): y = 0 + 10 x 10 / 20 = 5, x = 9.
  Seg right{0, 0, 20, 10};
  EXPECT_TRUE(Clip(right, 10, 11));
  EXPECT_EQ(right, (Seg{0, 0, 9, 5}));
}

TEST(LineClip, WholeExpressionIsTruncated) {
  // (5, -1) code 4: dx = -2, dy = 3, x = 5 - (-1) x (-2) / 3 = 4.33 -> 4, y = 0.
  Seg s{5, -1, 3, 2};
  EXPECT_TRUE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{4, 0, 3, 2}));
}

TEST(LineClip, RejectionWritesTheMovedEndBack) {
  // (-10, 5) code 1, (5, -10) code 4: move the first: dx = 15, dy = -15, y = 5 - (-10) x (-15) / 15
  // = -5, x = 0 -> (0, -5), code 4, shared with the second end: rejected.
  Seg s{-10, 5, 5, -10};
  EXPECT_FALSE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{0, -5, 5, -10}));
  // (1, -3) code 4, (-2, 1) code 1: dx = -3, dy = 4, x = 1 - (-3) x (-3) / 4 = -1.25, truncated toward
  // zero -> -1, y = 0: code 1, shared: rejected.
  Seg t{1, -3, -2, 1};
  EXPECT_FALSE(Clip(t, 10, 10));
  EXPECT_EQ(t, (Seg{-1, 0, -2, 1}));
}

TEST(LineClip, SharedOutcodeRejectsAtOnce) {
  Seg s{-5, -5, -1, 20};
  EXPECT_FALSE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{-5, -5, -1, 20}));
  Seg below{0, 10, 9, 10};  // row height is outside
  EXPECT_FALSE(Clip(below, 10, 10));
}

TEST(LineClip, ExtremeCoordinates) {
  // (INT_MIN, INT_MIN) code 1 | 4, top first: dx = dy = 2^32 - 1, x = INT_MIN - INT_MIN x 1 = 0,
  // y = 0. (INT_MAX, INT_MAX) code 2 | 8, bottom first: ends (0, 0) (INT_MAX, INT_MAX), x = 10, y = 9
  // -> code 2: dx = 10, dy = 9, y = 0 + 10 x 9 / 10 = 9, x = 9.
  Seg s{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  EXPECT_TRUE(Clip(s, 10, 10));
  EXPECT_EQ(s, (Seg{0, 0, 9, 9}));
  Seg v{3, INT_MIN, 3, INT_MAX};
  EXPECT_TRUE(Clip(v, 10, 10));
  EXPECT_EQ(v, (Seg{3, 0, 3, 9}));
  Seg far{INT_MIN, INT_MAX, INT_MAX, INT_MAX - 1};
  EXPECT_FALSE(Clip(far, INT_MAX, 10));
}

TEST(LineClip, EmptyOrNegativeSizesReject) {
  Seg s{1, 1, 2, 2};
  EXPECT_FALSE(Clip(s, 0, 10));
  Seg t{1, 1, 2, 2};
  EXPECT_FALSE(Clip(t, 10, 0));
  Seg u{1, 1, 2, 2};
  EXPECT_FALSE(Clip(u, INT_MIN, INT_MIN));
  EXPECT_EQ(u, (Seg{1, 1, 2, 2}));
  int x = 0, y = 0;
  EXPECT_FALSE(PIX_ClipSegment(nullptr, &y, &x, &y, 10, 10));
  EXPECT_FALSE(PIX_ClipSegment(&x, &y, &x, nullptr, 10, 10));
}

}  // namespace
