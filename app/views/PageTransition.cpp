#include "PageTransition.h"

namespace {

// The outgoing page drifts this share of the width while the new one slides in fully.
constexpr qreal driftShare = 0.4;
constexpr qreal dropDistance = 30;
constexpr qreal dropScale = 0.96;

PageEffect slide(qreal x)
{
    return {x, 0, 1, 0};
}

} // namespace

PageEffect PageEffect::interpolated(const PageEffect& from, const PageEffect& to, qreal progress)
{
    auto between = [progress](qreal a, qreal b) { return a + (b - a) * progress; };
    return {between(from.x, to.x), between(from.y, to.y), between(from.scale, to.scale),
            between(from.opacity, to.opacity)};
}

PageTransition pageTransition(PageMotion motion, qreal width, bool reduceMotion)
{
    const PageTransition crossFade{PageEffect::faded(), PageEffect::faded()};
    if (reduceMotion)
        return crossFade;
    switch (motion) {
    case PageMotion::next:
    case PageMotion::newNote:
        return {slide(width), slide(-driftShare * width)};
    case PageMotion::previous:
    case PageMotion::undo:
        return {slide(-width), slide(driftShare * width)};
    case PageMotion::remove:
        return {PageEffect::faded(), {0, dropDistance, dropScale, 0}};
    case PageMotion::none:
        break;
    }
    return crossFade;
}
