#include "PanelPlacement.h"

#include <algorithm>

namespace {
// Where the panel hangs when neither an anchor nor a screen is known.
constexpr QPointF fallbackAnchor{400, 0};
} // namespace

PanelPlacement placePanel(QSizeF noteSize, std::optional<QRectF> anchor,
                          std::optional<QRectF> screen)
{
    using namespace PanelGeometry;
    const qreal width = noteSize.width();
    const qreal height = noteSize.height();

    // The notch's tip touches `tipY`: one point below the anchor, or the top of the screen.
    qreal anchorX = fallbackAnchor.x();
    qreal tipY = fallbackAnchor.y();
    if (anchor) {
        anchorX = anchor->center().x();
        tipY = anchor->bottom() + 1;
    } else if (screen) {
        anchorX = screen->center().x();
        tipY = screen->top();
    }

    const QSizeF frame = frameSize(noteSize);
    qreal x = anchorX - frame.width() / 2;
    qreal y = tipY - topMargin;
    if (screen) {
        const qreal lower = screen->left() + screenEdgeGap - sideMargin;
        const qreal upper = screen->right() - screenEdgeGap - sideMargin - width;
        x = std::min(std::max(x, lower), upper);
        // With the tray at the bottom of the screen the panel would hang off it: lift the
        // body until it fits, even if the notch then no longer touches the icon.
        const qreal bodyBottom = y + topMargin + notchHeight + height;
        const qreal lowest = screen->bottom() - screenEdgeGap;
        if (bodyBottom > lowest)
            y -= bodyBottom - lowest;
    }
    const qreal notchCenterX =
        std::min(std::max(anchorX - (x + sideMargin), notchInset), width - notchInset);
    return {QRectF(QPointF(x, y), frame), notchCenterX};
}
