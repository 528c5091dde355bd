#include "layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace bw;

namespace {
LayoutRow row(const Layout& l, const std::string& name) { // a copy: nothing to dangle
    for (const auto& r : l.rows)
        if (name == r.control) return r;
    throw std::out_of_range(name);
}
} // namespace

TEST(Layout, UnitThresholds) {
    const std::map<double, i16> cases = {
        {-5, 15},    {0, 15},     {1, 15},     {9499, 15},   {9500, 20},   {11899, 20},
        {11900, 25}, {15199, 25}, {15200, 32}, {18999, 32},  {19000, 40},  {32767, 40},
        {32768, 40}, {50000, 40}, {1e9, 40},   {9499.5, 20}, {9498.5, 15}, {9499.4, 15}};
    for (auto [width, unit] : cases)
        EXPECT_EQ(computeLayout(width, 0).unit, unit) << width;
}

TEST(Layout, WidthIsRoundedHalfToEvenAndSaturated) {
    EXPECT_EQ(formWidthFromOuterWidth(9498.5), 9498);
    EXPECT_EQ(formWidthFromOuterWidth(9499.5), 9500);
    EXPECT_EQ(formWidthFromOuterWidth(7104.49), 7104);
    EXPECT_EQ(formWidthFromOuterWidth(32767.4), 32767);
    EXPECT_EQ(formWidthFromOuterWidth(40000), 32767);
    EXPECT_EQ(formWidthFromOuterWidth(-1e7), -32768);
    EXPECT_EQ(formWidthFromOuterWidth(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(computeLayout(2e6, 150).formWidth, 32767);
}

TEST(Layout, SmallestUnitGivesTheDesignGeometry) {
    const Layout l = computeLayout(7200, 40);
    auto expectRow = [&](const char* name, std::optional<i16> left, std::optional<i16> width,
                         std::optional<i16> top, std::optional<i16> height,
                         std::optional<i16> font) {
        const LayoutRow r = row(l, name);
        EXPECT_EQ(r.left, left) << name;
        EXPECT_EQ(r.width, width) << name;
        EXPECT_EQ(r.top, top) << name;
        EXPECT_EQ(r.height, height) << name;
        EXPECT_EQ(r.fontPoints, font) << name;
    };
    const auto none = std::nullopt;
    expectRow("ProgFrame", 90, 6930, 45, 1080, none);
    expectRow("ProgBack", 180, 6750, 135, 900, none);
    expectRow("ProgBar", 180, 1800, 135, 900, none); // the design width is 40 steps
    expectRow("LabelOver", 1620, 3870, -45, 1530, 45);
    expectRow("Lbackground", 90, 6930, 1125, 2880, none);
    expectRow("LabelPause", 1800, 4050, 2115, 1350, 45);
    expectRow("LabelDot", 3150, 1440, 720, 3420, 150);
    expectRow("Dminutes", 90, 3420, 720, 3420, 150);
    expectRow("Dseconds", 4230, 2610, 1305, 2880, 120);
    expectRow("Frame1", 90, none, 3840, none, none);
    expectRow("Frame2", 3810, none, 3840, none, none);
    expectRow("CBstend", 6120, 900, 4230, 450, none);
    expectRow("Label5", 5970, none, 4770, none, none);
    expectRow("Version", 5970, none, 5040, none, none);
    expectRow("Frame3", 90, none, 5400, none, none);
}

TEST(Layout, LargestUnit) {
    const Layout l = computeLayout(40000, 150);
    EXPECT_EQ(l.unit, 40);
    EXPECT_EQ(row(l, "ProgFrame").left, 240);
    EXPECT_EQ(row(l, "ProgFrame").top, 120);
    EXPECT_EQ(row(l, "ProgFrame").width, 18480);
    EXPECT_EQ(row(l, "ProgFrame").height, 2880);
    EXPECT_EQ(row(l, "Dminutes").fontPoints, 400);
    EXPECT_EQ(row(l, "Frame1").top, 11340);
    EXPECT_EQ(row(l, "Frame2").top, 11340);
    EXPECT_EQ(row(l, "Label5").left, 16920);
    EXPECT_EQ(row(l, "Frame3").top, 14400);
    EXPECT_EQ(row(l, "ProgBar").width, row(l, "ProgBack").width); // full bar fills the track
}

TEST(Layout, ArrangementHoldsAtEveryUnit) {
    for (double width : {7200.0, 10000.0, 12000.0, 16000.0, 20000.0}) {
        const Layout l = computeLayout(width, 0);
        const i16 u = l.unit;
        const LayoutRow frame = row(l, "ProgFrame");
        const LayoutRow band = row(l, "Lbackground");
        const LayoutRow button = row(l, "CBstend");
        // The widest extent stays inside the narrowest window that selects the unit.
        EXPECT_LE(*frame.left + *frame.width, unitForWidth(static_cast<i16>(width)) * 475 - 10);
        EXPECT_EQ(*band.top, *frame.top + *frame.height); // band starts at the frame's bottom
        EXPECT_EQ(*button.left + *button.width, *frame.left + *frame.width);
        EXPECT_EQ(*row(l, "Label5").left + 600, *button.left + *button.width / 2);
        EXPECT_EQ(row(l, "ProgBar").width, 0);
        EXPECT_EQ(*row(l, "LabelOver").left + *row(l, "LabelOver").width / 2, 237 * u);
    }
}

TEST(Layout, SameRowOfTheTableGivesTheSameGeometry) {
    const Layout a = computeLayout(11900, 75), b = computeLayout(15199, 75);
    for (size_t i = 0; i < a.rows.size(); ++i) {
        EXPECT_EQ(a.rows[i].left, b.rows[i].left);
        EXPECT_EQ(a.rows[i].width, b.rows[i].width);
        EXPECT_EQ(a.rows[i].top, b.rows[i].top);
        EXPECT_EQ(a.rows[i].fontPoints, b.rows[i].fontPoints);
    }
}

TEST(Layout, AbsurdProgressIsRefusedNotWrapped) {
    EXPECT_THROW(computeLayout(40000, 1000), OverflowError);
}
