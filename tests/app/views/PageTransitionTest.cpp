#include "app/views/PageTransition.h"

#include <gtest/gtest.h>

namespace {

constexpr qreal width = 280;
const PageEffect fade{0, 0, 1, 0};

struct Row
{
    PageMotion motion;
    PageTransition expected;
};

std::string motionName(const testing::TestParamInfo<Row>& info)
{
    switch (info.param.motion) {
    case PageMotion::none:
        return "none";
    case PageMotion::next:
        return "next";
    case PageMotion::previous:
        return "previous";
    case PageMotion::newNote:
        return "newNote";
    case PageMotion::remove:
        return "remove";
    case PageMotion::undo:
        return "undo";
    }
    return "unknown";
}

class PageTransitionTable : public testing::TestWithParam<Row>
{};

TEST_P(PageTransitionTable, GivesTheEnterAndLeaveStatesOfEachMotion)
{
    const Row row = GetParam();
    EXPECT_EQ(pageTransition(row.motion, width, false), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Motions, PageTransitionTable,
    testing::Values(Row{PageMotion::none, {fade, fade}},
                    Row{PageMotion::next, {{280, 0, 1, 0}, {-112, 0, 1, 0}}},
                    Row{PageMotion::newNote, {{280, 0, 1, 0}, {-112, 0, 1, 0}}},
                    Row{PageMotion::previous, {{-280, 0, 1, 0}, {112, 0, 1, 0}}},
                    Row{PageMotion::undo, {{-280, 0, 1, 0}, {112, 0, 1, 0}}},
                    Row{PageMotion::remove, {fade, {0, 30, 0.96, 0}}}),
    motionName);

TEST(PageTransitionTest, ReducedMotionMakesEveryChangeACrossFade)
{
    for (PageMotion motion : {PageMotion::none, PageMotion::next, PageMotion::previous,
                              PageMotion::newNote, PageMotion::remove, PageMotion::undo}) {
        const PageTransition transition = pageTransition(motion, width, true);
        EXPECT_EQ(transition.insertion, fade) << int(motion);
        EXPECT_EQ(transition.removal, fade) << int(motion);
    }
}

TEST(PageTransitionTest, TheSlideDistanceIsTheWidthGiven)
{
    EXPECT_EQ(pageTransition(PageMotion::next, 520, false).insertion.x, 520);
    EXPECT_EQ(pageTransition(PageMotion::next, 520, false).removal.x, -208);
    EXPECT_EQ(pageTransition(PageMotion::previous, 240, false).insertion.x, -240);
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
