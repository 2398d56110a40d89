#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Which edge of the screen the tray sits at.
enum class TrayEdge { top, bottom, left, right };

// Which edge of the body the notch stands on: the top when the panel hangs below the icon,
// the bottom when it stands above it.
enum class NotchEdge { top, bottom };

// The panel's geometry around the note area: 40 on each side, 24 beyond the notch and 48 on
// the far side for the shadow, which always falls downwards; the notch adds its 9.
namespace PanelGeometry {
inline constexpr qreal sideMargin = 40;
inline constexpr qreal topMargin = 24;
inline constexpr qreal notchHeight = 9;
inline constexpr qreal bottomMargin = 48;
inline constexpr qreal cornerRadius = 12;
inline constexpr qreal notchWidth = 32;
// The notch's tip keeps clear of the rounded corners: radius plus half the notch.
inline constexpr qreal notchInset = cornerRadius + notchWidth / 2;
// The body keeps at least this far from the edges of the screen's usable area and from a
// tray at the side of the screen.
inline constexpr qreal screenEdgeGap = 6;

inline QSizeF frameSize(QSizeF noteSize)
{
    return {noteSize.width() + 2 * sideMargin,
            noteSize.height() + topMargin + notchHeight + bottomMargin};
}

// The note area in the window. With the notch at the bottom the whole layout is mirrored
// upside down, so the margin beyond the notch stays the small one.
QRectF bodyRect(QSizeF noteSize, NotchEdge edge);
// The part of the window the outline and its shadow may cover: all of it but the margin beyond
// the notch's tip, where the icon is.
QRectF shadowArea(QSizeF noteSize, NotchEdge edge);
// The outline in window coordinates, `inset` inside the edge (for borders).
QPainterPath outline(QSizeF noteSize, qreal notchCenterX, NotchEdge edge, qreal inset = 0);
} // namespace PanelGeometry

// A screen's whole rectangle and the part that panels and docks leave free.
struct ScreenArea
{
    QRectF geometry;
    QRectF available;
};

// The edge of the screen a tray icon at `icon` belongs to: the one whose reserved strip holds
// it, else the nearest one.
TrayEdge trayEdge(const QRectF& icon, const ScreenArea& screen);

struct PanelPlacement
{
    QRectF frame;       // the panel window, in screen coordinates
    QSizeF noteSize;    // the note area as shown: the one asked for, or what the screen holds
    qreal notchCenterX; // the notch's tip, from the left edge of the body
    NotchEdge notchEdge;
};

// Places the panel at `anchor` (the tray icon, or where it was clicked), its notch's tip one
// point off the anchor: hanging below a tray at the top, standing above one at the bottom, and
// beside one at the left or right edge, never over the icon. When there is a `screen`, the
// note area shrinks to the room its usable area leaves between the icon and the far edges,
// never below the smallest note size, and the body is kept inside that area.
PanelPlacement placePanel(QSizeF noteSize, std::optional<QRectF> anchor,
                          std::optional<ScreenArea> screen);

// The note width for a drag of a corner handle `outwards` (positive away from the body) from
// where it began on a note `startWidth` wide, the panel placed as placePanel places it. Each
// side of the body the screen leaves free follows the pointer: the width changes by twice the
// move while the body lies centred under the icon, by the move alone where the screen holds a
// side.
qreal draggedWidth(qreal startWidth, qreal outwards, std::optional<QRectF> anchor,
                   std::optional<ScreenArea> screen);
