#include "app/views/outline/OutlineShadow.h"
#include "app/views/outline/PopoverShape.h"
#include "app/views/theme/DropShadow.h"

#include <QPainter>
#include <QTransform>

#include <gtest/gtest.h>

namespace {

using Layers = std::vector<OutlineShadow::Layer>;
const Layers panelLayers{{QColor(0, 0, 0, 31), 16, {0, 12}}, {QColor(0, 0, 0, 15), 3, {0, 2}}};
const Layers lightCardLayers{{QColor(0, 0, 0, 31), 12, {0, 6}}, {QColor(0, 0, 0, 15), 2, {0, 1}}};
const Layers darkCardLayers{{QColor(0, 0, 0, 115), 12, {0, 6}}, {QColor(0, 0, 0, 64), 2, {0, 1}}};
const Layers pillLayers{{QColor(0, 0, 0, 31), 8, {0, 6}}, {QColor(0, 0, 0, 15), 1.5, {0, 1}}};

struct Shadowed
{
    const char* name;
    QPainterPath outline;
    QSize canvas;
    Layers layers;
    std::vector<OutlineShadow::Stretch> columns;
    std::vector<OutlineShadow::Stretch> rows;
};

// The panel with its margins, the notch `notch` from the body's left, on top or mirrored below.
Shadowed panel(const char* name, QSizeF body, qreal notch, bool notchBelow = false)
{
    constexpr qreal side = 40, above = 24, below = 48, corner = 12, notchHeight = 9;
    const QSizeF frame(body.width() + 2 * side, body.height() + notchHeight + above + below);
    const PopoverShape shape{notch, corner, 32, notchHeight, 0};
    QPainterPath outline =
        shape.path(QRectF(side, above, body.width(), body.height() + notchHeight));
    const qreal top = notchBelow ? below : above + notchHeight;
    if (notchBelow)
        outline = QTransform(1, 0, 0, -1, 0, frame.height()).map(outline);
    const qreal tip = side + notch;
    return {name,
            outline,
            frame.toSize(),
            panelLayers,
            {{side + corner, tip - 16}, {tip + 16, side + body.width() - corner}},
            {{top + corner, top + body.height() - corner}}};
}

Shadowed card(const char* name, QSize canvas, qreal radius, const Layers& layers)
{
    constexpr int margin = 15;
    const QRectF rect = QRectF(QPointF(), canvas).adjusted(margin, margin, -margin, -margin);
    QPainterPath outline;
    outline.addRoundedRect(rect, radius, radius);
    return {name,
            outline,
            canvas,
            layers,
            {{rect.left() + radius, rect.right() - radius}},
            {{rect.top() + radius, rect.bottom() - radius}}};
}

// The same outline on a canvas of another size, as painted in the moment between a change of
// size and the window's taking it.
Shadowed reaching(const char* name, Shadowed shadowed, QSize canvas)
{
    shadowed.name = name;
    shadowed.canvas = canvas;
    return shadowed;
}

QImage transparent(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

TEST(OutlineShadowTest, TheShadowsAreThoseBlurredWholeAtEverySizeNotchPlaceAndCorner)
{
    const Shadowed outlines[] = {
        panel("the default size, notch centred", {280, 217}, 140),
        panel("grown by a drag", {380, 297}, 190),
        panel("the notch elsewhere at that size", {380, 297}, 120),
        panel("an odd width, the notch between pixels", {281, 218}, 140.5),
        panel("a fractional size", {300.4, 250.7}, 150.2),
        panel("the notch at the left corner", {400, 300}, 28),
        panel("the notch at the right corner", {400, 300}, 372),
        panel("the notch near a corner, within the blur", {400, 300}, 50),
        panel("standing above the icon", {380, 297}, 190, true),
        panel("the smallest size", {240, 180}, 120),
        card("a list card", {300, 200}, 10, lightCardLayers),
        card("the same, dark", {300, 200}, 10, darkCardLayers),
        card("a taller one", {300, 420}, 10, darkCardLayers),
        card("the colour pill, round at both ends", {239, 60}, 15, pillLayers),
        reaching("a panel painted before its window grows to its new size",
                 panel("", {300, 560}, 150), {380, 298}),
        reaching("a panel painted before its window shrinks to its new size",
                 panel("", {280, 217}, 140), {460, 700}),
    };
    // One for all, as a panel being resized keeps its own.
    OutlineShadow shadow;
    for (const Shadowed& shadowed : outlines) {
        SCOPED_TRACE(shadowed.name);
        QImage expected = transparent(shadowed.canvas);
        QPainter whole(&expected);
        for (const OutlineShadow::Layer& layer : shadowed.layers)
            whole.drawImage(0, 0,
                            renderDropShadow(shadowed.outline, shadowed.canvas, layer.color,
                                             layer.radius, layer.offset));
        QImage actual = transparent(shadowed.canvas);
        QPainter stretched(&actual);
        stretched.setRenderHint(QPainter::Antialiasing);
        shadow.paint(stretched, shadowed.outline, shadowed.canvas, shadowed.layers,
                     shadowed.columns, shadowed.rows);
        EXPECT_TRUE(actual == expected);
    }
}

} // namespace
