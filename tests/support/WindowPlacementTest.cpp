#include "support/WindowPlacement.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {
namespace {

// A form that records the order in which its rectangle is read and moved.
class RecordingForm : public IFormGeometry {
 public:
  RecordingForm(float height, float width) : height_(height), width_(width) {}
  float Top() const override { return top_; }
  float Left() const override { return left_; }
  float Height() const override { calls_.push_back("Height"); return height_; }
  float Width() const override { calls_.push_back("Width"); return width_; }
  void SetTop(float twips) override { calls_.push_back("SetTop"); top_ = twips; }
  void SetLeft(float twips) override { calls_.push_back("SetLeft"); left_ = twips; }

  mutable std::vector<std::string> calls_;
  float top_ = -1, left_ = -1, height_, width_;
};

TEST(MaxIntegerTest, PicksTheLargerAndKeepsTies) {
  EXPECT_EQ(MaxInteger(0, -5), 0);
  EXPECT_EQ(MaxInteger(-5, 0), 0);
  EXPECT_EQ(MaxInteger(3, 3), 3);
  EXPECT_EQ(MaxInteger(-32768, 32767), 32767);
}

TEST(CentreFormTest, CentresOverTheRectangle) {
  RecordingForm form(2000, 1000);
  CentreForm(form, 1000, 500, 3000, 4000);
  EXPECT_EQ(form.top_, 1500);
  EXPECT_EQ(form.left_, 2000);
}

TEST(CentreFormTest, NeverMovesAboveOrLeftOfZero) {
  RecordingForm form(9000, 9000);
  CentreForm(form, 100, 100, 1000, 1000);
  EXPECT_EQ(form.top_, 0);
  EXPECT_EQ(form.left_, 0);
}

TEST(CentreFormTest, RoundsHalvesToEven) {
  // Centre 1000.5 rounds to 1000; 1001.5 to 1002. The form's half heights
  // 0.5 and 1.5 then round the same way.
  RecordingForm even(1, 3);
  CentreForm(even, 1000, 1001, 1, 1);
  EXPECT_EQ(even.top_, 1000);  // nearest(1000 - 0.5) = nearest(999.5) = 1000
  EXPECT_EQ(even.left_, 1000);  // cx = nearest(1001.5) = 1002; 1002 - 1.5 = 1000.5 -> 1000
}

TEST(CentreFormTest, SetsTopBeforeReadingWidth) {
  RecordingForm form(100, 100);
  CentreForm(form, 0, 0, 1000, 1000);
  std::vector<std::string> expected{"Height", "SetTop", "Width", "SetLeft"};
  EXPECT_EQ(form.calls_, expected);
}

TEST(CentreFormTest, PlacesBeyondSixteenBitsOnWideDesktops) {
  RecordingForm form(1000, 1000);
  CentreForm(form, 0, 40000, 1000, 20000);
  EXPECT_EQ(form.left_, 49500);
}

TEST(CentreFormTest, OverflowIsRaisedBeforeAnythingIsMoved) {
  RecordingForm form(100, 100);
  try {
    CentreForm(form, 0, 0, 1e12f, 100);
    FAIL() << "no overflow raised";
  } catch (const OstrelError& e) {
    EXPECT_EQ(e.Number(), err::kOverflow);
  }
  EXPECT_TRUE(form.calls_.empty());
  EXPECT_EQ(form.top_, -1);
}

// A window of 299 x 263 pixels over a browser window; the work area is a
// 1600 x 1000 screen whose top 30 pixels hold a panel.
TEST(PlaceBelowToolbarTest, GoesUnderTheToolbarAtTheBrowsersRightEdgeAndStaysOnTheScreen) {
  const PixelRect screen{0, 30, 1600, 970};
  struct Row {
    const char* what;
    PixelRect browser;
    int pageTop;
    PixelPoint expected;
  };
  const Row rows[] = {
      {"in the middle", {100, 50, 1000, 700}, 193, {1100 - 299 - 8, 193 + 8}},
      {"maximised", {0, 30, 1600, 970}, 123, {1600 - 299 - 8, 131}},
      {"narrower than the window", {100, 50, 200, 700}, 143, {100, 151}},
      {"past the screen's right edge", {1400, 50, 1000, 700}, 143, {1600 - 299, 151}},
      {"past the screen's left edge", {-900, 50, 1000, 700}, 143, {0, 151}},
      {"low: moved up, but not over the page top", {100, 600, 1000, 400}, 735, {793, 1000 - 263}},
      {"lower still: stays below the page top", {100, 700, 1000, 300}, 850, {793, 850}},
      {"above the screen: below the panel", {100, -200, 1000, 700}, 10, {793, 30}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PlaceBelowToolbar(row.browser, row.pageTop, 299, 263, screen), row.expected)
        << row.what;
  }
}

}  // namespace
}  // namespace ostrel
