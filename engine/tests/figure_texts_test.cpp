// A group's efficiency % and where its gap % lies against the tolerance
// band, from planned and booked seconds worked out by hand.
#include <gtest/gtest.h>

#include "engine/category_texts.h"
#include "host/value/decimal.h"

namespace engine {
namespace {

host::Variant Seconds(const char* text) { return *host::Decimal::Parse(text); }

TEST(FigureTexts, EfficiencyIsPlannedOverBooked) {
  // 4200 s planned against 8345 s booked: 50.3295... %.
  EXPECT_EQ(EfficiencyText(int32_t{4200}, int32_t{8345}), "50.33");
  EXPECT_EQ(EfficiencyText(int32_t{3600}, int32_t{3600}), "100.00");
  EXPECT_EQ(EfficiencyText(int32_t{3600}, int32_t{0}), "");  // nothing booked: no figure
  EXPECT_EQ(EfficiencyText(int32_t{0}, int32_t{60}), "");  // no plan: no figure, as no gap %
}

TEST(FigureTexts, TheBandFlagsWhatTheGapPercentShows) {
  // 11001 s against 10000 s planned reads 10.01 %: beyond ±10.
  EXPECT_EQ(GapPercentText(int32_t{10000}, int32_t{11001}), "10.01");
  EXPECT_EQ(ToleranceSide(GapPercentText(int32_t{10000}, int32_t{11001}), 10), 1);
  // 11000 s reads 10.00 %: on the edge, inside.
  EXPECT_EQ(ToleranceSide(GapPercentText(int32_t{10000}, int32_t{11000}), 10), 0);
  // 11000.4 s is 10.004 %, shown as 10.00: not flagged either.
  EXPECT_EQ(ToleranceSide(GapPercentText(int32_t{10000}, Seconds("11000.4")), 10), 0);
  // Under plan: 8999 s is −10.01 %.
  EXPECT_EQ(GapPercentText(int32_t{10000}, int32_t{8999}), "-10.01");
  EXPECT_EQ(ToleranceSide(GapPercentText(int32_t{10000}, int32_t{8999}), 10), -1);
  EXPECT_EQ(ToleranceSide("-10.00", 10), 0);
  // No plan, no percent, no flag; a band of 0 flags any gap.
  EXPECT_EQ(ToleranceSide("", 10), 0);
  EXPECT_EQ(ToleranceSide("0.01", 0), 1);
  EXPECT_EQ(ToleranceSide("0.00", 0), 0);
}

// Figures flagged as the band takes them: by the percent with a plan; time
// booked without any plan lies beyond every band (the "only outside
// tolerance" filter keeps it), a correction below zero under it.
TEST(FigureTexts, TimeBookedWithoutAPlanIsOutsideEveryBand) {
  EXPECT_EQ(FiguresSide(int32_t{10000}, int32_t{11001}, 10), 1);
  EXPECT_EQ(FiguresSide(int32_t{10000}, int32_t{11000}, 10), 0);
  EXPECT_EQ(FiguresSide(int32_t{10000}, int32_t{8999}, 10), -1);
  EXPECT_EQ(FiguresSide(int16_t{0}, int32_t{60}, 10), 1);
  EXPECT_EQ(FiguresSide(int16_t{0}, int32_t{60}, 1000), 1);
  EXPECT_EQ(FiguresSide(Seconds("0.00"), Seconds("-30"), 10), -1);
  EXPECT_EQ(FiguresSide(int16_t{0}, int16_t{0}, 0), 0);
  EXPECT_EQ(FiguresSide(host::Variant::Null(), int32_t{60}, 10), 1);
  EXPECT_EQ(FiguresSide(host::Variant::Null(), host::Variant::Null(), 10), 0);
}

}  // namespace
}  // namespace engine
