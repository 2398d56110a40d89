#include "DropShadow.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

// Three box blurs in a row come close to a Gaussian blur.
constexpr int blurPasses = 3;

// One pass of a moving-average blur along a line of `count` samples `stride` apart.
void blurLine(uchar* line, int count, int stride, int halfWidth, std::vector<int>& scratch)
{
    scratch.assign(std::size_t(count), 0);
    for (int index = 0; index < count; ++index)
        scratch[std::size_t(index)] = line[index * stride];
    const int window = 2 * halfWidth + 1;
    int sum = 0;
    for (int index = -halfWidth; index <= halfWidth; ++index)
        sum += scratch[std::size_t(std::clamp(index, 0, count - 1))];
    for (int index = 0; index < count; ++index) {
        line[index * stride] = uchar(sum / window);
        const int leaving = std::clamp(index - halfWidth, 0, count - 1);
        const int entering = std::clamp(index + halfWidth + 1, 0, count - 1);
        sum += scratch[std::size_t(entering)] - scratch[std::size_t(leaving)];
    }
}

int blurHalfWidth(qreal radius)
{
    return std::max(1, qRound(radius / blurPasses));
}

} // namespace

int dropShadowReach(qreal radius)
{
    return blurPasses * blurHalfWidth(radius);
}

QImage renderDropShadow(const QPainterPath& shape, QSize canvasSize, const QColor& color,
                        qreal radius, QPointF offset)
{
    QImage coverage(canvasSize, QImage::Format_Alpha8);
    coverage.fill(0);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(offset);
        painter.fillPath(shape, Qt::black);
    }

    const int halfWidth = blurHalfWidth(radius);
    std::vector<int> scratch;
    const int width = coverage.width();
    const int height = coverage.height();
    for (int pass = 0; pass < blurPasses; ++pass) {
        for (int y = 0; y < height; ++y)
            blurLine(coverage.scanLine(y), width, 1, halfWidth, scratch);
        for (int x = 0; x < width; ++x)
            blurLine(coverage.bits() + x, height, int(coverage.bytesPerLine()), halfWidth, scratch);
    }

    QImage shadow(canvasSize, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    QPainter painter(&shadow);
    painter.fillRect(shadow.rect(), color);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, coverage);
    return shadow;
}
