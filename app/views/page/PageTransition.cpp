#include "PageTransition.h"

namespace {

// The outgoing page drifts this share of the width while the new one slides in fully.
constexpr qreal driftShare = 0.4;
constexpr qreal dropDistance = 30;
constexpr qreal dropScale = 0.96;

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
        return {PageEffect::slideFx(width, 0), PageEffect::slideFx(-driftShare * width, 0)};
    case PageMotion::previous:
    case PageMotion::undo:
        return {PageEffect::slideFx(-width, 0), PageEffect::slideFx(driftShare * width, 0)};
    case PageMotion::remove:
        return {PageEffect::faded(), PageEffect::dropFx(dropDistance, dropScale, 0)};
    case PageMotion::none:
        break;
    }
    return crossFade;
}
