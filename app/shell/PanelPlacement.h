#pragma once

#include <QRectF>
#include <QSizeF>

#include <optional>

// The panel's geometry around the note area: 40 on each side and 24 above for the shadow,
// the notch's 9 above the body, and 48 below.
namespace PanelGeometry {
inline constexpr qreal sideMargin = 40;
inline constexpr qreal topMargin = 24;
inline constexpr qreal notchHeight = 9;
inline constexpr qreal bottomMargin = 48;
inline constexpr qreal cornerRadius = 12;
inline constexpr qreal notchWidth = 32;
// The notch's tip keeps clear of the rounded corners: radius plus half the notch.
inline constexpr qreal notchInset = cornerRadius + notchWidth / 2;
// The body keeps at least this far from the edges of the screen's usable area.
inline constexpr qreal screenEdgeGap = 6;

inline QSizeF frameSize(QSizeF noteSize)
{
    return {noteSize.width() + 2 * sideMargin,
            noteSize.height() + topMargin + notchHeight + bottomMargin};
}
} // namespace PanelGeometry

struct PanelPlacement
{
    QRectF frame;       // the panel window, in screen coordinates
    qreal notchCenterX; // the notch's tip, from the left edge of the body
};

// Hangs the panel under `anchor` (the tray icon, or where it was clicked), centred on it,
// kept inside `screen` (the usable area of the anchor's screen) when there is one.
PanelPlacement placePanel(QSizeF noteSize, std::optional<QRectF> anchor,
                          std::optional<QRectF> screen);
