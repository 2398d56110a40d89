#include "HueImages.h"

#include "app/views/theme/HexColor.h"
#include "app/views/theme/Theme.h"
#include "platform/MainThread.h"

#include <QPainter>

namespace HueImages {

namespace {

constexpr qreal discDiameter = 9;
constexpr qreal ringWidth = 1;
constexpr qreal rotateDiscStep = 5;
constexpr qreal rotateDiscTop = 1;
constexpr Hue rotateHues[] = {Hue::sand, Hue::mint, Hue::sky};
const QString whiteRing = QStringLiteral("#8C94A0");

QColor accent(Hue hue)
{
    return HexColor::parse(Theme::hueAccentHex(int(hue)));
}

QPixmap canvas(QSize size, qreal devicePixelRatio)
{
    QPixmap image(size * devicePixelRatio);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QPixmap swatchImage(Hue hue, qreal devicePixelRatio)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPixmap image = canvas(swatchSize, devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(QPointF(0, 0), QSizeF(swatchSize)).adjusted(1, 1, -1, -1);
    if (hue == Hue::white) {
        painter.setBrush(Qt::white);
        painter.setPen(QPen(HexColor::parse(whiteRing), ringWidth));
    } else {
        painter.setBrush(accent(hue));
        painter.setPen(Qt::NoPen);
    }
    painter.drawEllipse(disc);
    return image;
}

QPixmap rotateImage(qreal devicePixelRatio)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    static QPixmap shared;
    if (!shared.isNull() && shared.devicePixelRatio() == devicePixelRatio)
        return shared;
    shared = canvas(rotateSize, devicePixelRatio);
    QPainter painter(&shared);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, ringWidth));
    qreal left = 0;
    for (const Hue hue : rotateHues) {
        painter.setBrush(accent(hue));
        painter.drawEllipse(QRectF(left, rotateDiscTop, discDiameter, discDiameter));
        left += rotateDiscStep;
    }
    return shared;
}

} // namespace HueImages
