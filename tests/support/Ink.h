#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// Where something is drawn within `area` of a picture: the bounding box of the pixels that
// stand out from the colour at the area's top left corner by more than the faint edge of
// smoothing does. Empty when nothing is drawn there.
inline QRect inkBounds(const QImage& image, const QRect& area)
{
    // Summed over the three channels.
    constexpr int faintestInk = 96;
    const QColor background = image.pixelColor(area.topLeft());
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int difference = std::abs(pixel.red() - background.red()) +
                                   std::abs(pixel.green() - background.green()) +
                                   std::abs(pixel.blue() - background.blue());
            if (difference > faintestInk)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}
