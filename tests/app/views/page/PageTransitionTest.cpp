#include "app/views/page/PageTransition.h"

#include <gtest/gtest.h>

namespace {

const PageEffect fade{0, 0, 1, 0};

TEST(PageTransitionTest, EachMotionHasItsEnterAndLeaveStatesAndReducedMotionCrossFades)
{
    const struct
    {
        PageMotion motion;
        qreal width;
        PageTransition expected;
    } rows[] = {
        {PageMotion::none, 280, {fade, fade}},
        {PageMotion::next, 280, {{280, 0, 1, 0}, {-112, 0, 1, 0}}},
        {PageMotion::newNote, 520, {{520, 0, 1, 0}, {-208, 0, 1, 0}}},
        {PageMotion::previous, 280, {{-280, 0, 1, 0}, {112, 0, 1, 0}}},
        {PageMotion::undo, 240, {{-240, 0, 1, 0}, {96, 0, 1, 0}}},
        {PageMotion::remove, 280, {fade, {0, 30, 0.96, 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.motion));
        EXPECT_EQ(pageTransition(row.motion, row.width, false), row.expected);
        const PageTransition reduced = pageTransition(row.motion, row.width, true);
        EXPECT_EQ(reduced.insertion, fade);
        EXPECT_EQ(reduced.removal, fade);
    }
}

TEST(PageTransitionTest, InterpolationRunsFromOneStateToTheOther)
{
    const PageEffect drop{0, 30, 0.96, 0};
    EXPECT_EQ(PageEffect::interpolated(PageEffect::identity(), drop, 0), PageEffect::identity());
    EXPECT_EQ(PageEffect::interpolated(PageEffect::identity(), drop, 1), drop);
    const PageEffect half = PageEffect::interpolated(PageEffect::identity(), drop, 0.5);
    EXPECT_DOUBLE_EQ(half.y, 15);
    EXPECT_DOUBLE_EQ(half.scale, 0.98);
    EXPECT_DOUBLE_EQ(half.opacity, 0.5);
    // Overshooting curves go past the end.
    EXPECT_DOUBLE_EQ(PageEffect::interpolated({280, 0, 1, 0}, {}, 1.1).x, -28);
}

} // namespace
