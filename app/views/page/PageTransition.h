#pragma once

#include "app/shell/PopoverController.h"

// How far a page is from resting in place: moved by (x, y), scaled about its centre, faded.
// The identity state leaves the page as it is.
struct PageEffect
{
    qreal x = 0;
    qreal y = 0;
    qreal scale = 1;
    qreal opacity = 1;

    static PageEffect identity() { return {}; }
    static PageEffect faded() { return {0, 0, 1, 0}; }
    // Moved sideways and faded.
    static PageEffect slideFx(qreal x, qreal opacity) { return {x, 0, 1, opacity}; }
    // Moved down, then scaled about its centre, and faded.
    static PageEffect dropFx(qreal y, qreal scale, qreal opacity) { return {0, y, scale, opacity}; }
    // The state `progress` of the way from `from` to `to`.
    static PageEffect interpolated(const PageEffect& from, const PageEffect& to, qreal progress);

    friend bool operator==(const PageEffect&, const PageEffect&) = default;
};

// A page change: the incoming page goes from `insertion` to the identity, the outgoing page
// from the identity to `removal`.
struct PageTransition
{
    PageEffect insertion;
    PageEffect removal;

    friend bool operator==(const PageTransition&, const PageTransition&) = default;
};

// The transition for a move of the page area `width` wide. Less motion asked for by the
// desktop makes every change a cross-fade.
PageTransition pageTransition(PageMotion motion, qreal width, bool reduceMotion);
