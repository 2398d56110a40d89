#include "OutlineShadow.h"

#include "app/views/theme/DropShadow.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace {

using Cut = OutlineShadow::Cut;

// In each stretch, the columns whose shadow is that of the straight outline: those whose blur,
// moved by the offset, reaches no further than the stretch nor past the canvas, which ends
// the blur as the outline's end would. All but the first are cut.
std::vector<Cut> cutsOf(const std::vector<OutlineShadow::Stretch>& stretches, int reach,
                        int canvasLength)
{
    std::vector<Cut> cuts;
    for (const OutlineShadow::Stretch& stretch : stretches) {
        // The whole columns within the stretch and the canvas, less the reach on either side.
        const int first = std::max(qCeil(stretch.from), 0) + reach;
        const int last = std::min(qFloor(stretch.to), canvasLength) - 1 - reach;
        if (last > first)
            cuts.push_back({first, last - first});
    }
    std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.at < b.at; });
    return cuts;
}

// Where a coordinate of the outline lies in the copy.
qreal shortened(qreal value, const std::vector<Cut>& cuts)
{
    qreal removed = 0;
    for (const Cut& cut : cuts)
        removed += std::clamp(value - (cut.at + 1), qreal(0), qreal(cut.count));
    return value - removed;
}

// A run of columns (or rows) of the canvas and the run of the copy drawn there.
struct Band
{
    int copyStart;
    int copyLength;
    int start;
    int length;
};

std::vector<Band> bandsOf(const std::vector<Cut>& cuts, int length)
{
    std::vector<Band> bands;
    int copy = 0;
    int canvas = 0;
    for (const Cut& cut : cuts) {
        const int before = cut.at - canvas;
        bands.push_back({copy, before, canvas, before});
        bands.push_back({copy + before, 1, cut.at, cut.count + 1});
        copy += before + 1;
        canvas = cut.at + cut.count + 1;
    }
    bands.push_back({copy, length - canvas, canvas, length - canvas});
    return bands;
}

} // namespace

void OutlineShadow::paint(QPainter& painter, const QPainterPath& outline, QSize canvasSize,
                          const std::vector<Layer>& layers, const std::vector<Stretch>& columns,
                          const std::vector<Stretch>& rows)
{
    qreal reachX = 0;
    qreal reachY = 0;
    for (const Layer& layer : layers) {
        reachX = std::max(reachX, dropShadowReach(layer.radius) + std::abs(layer.offset.x()));
        reachY = std::max(reachY, dropShadowReach(layer.radius) + std::abs(layer.offset.y()));
    }
    if (canvasSize.isEmpty())
        return;
    std::vector<Cut> cutColumns = cutsOf(columns, qCeil(reachX), canvasSize.width());
    std::vector<Cut> cutRows = cutsOf(rows, qCeil(reachY), canvasSize.height());

    QPainterPath copyOutline = outline;
    for (int i = 0; i < copyOutline.elementCount(); ++i) {
        const QPainterPath::Element point = copyOutline.elementAt(i);
        copyOutline.setElementPositionAt(i, shortened(point.x, cutColumns),
                                         shortened(point.y, cutRows));
    }
    auto removed = [](const std::vector<Cut>& cuts) {
        int count = 0;
        for (const Cut& cut : cuts)
            count += cut.count;
        return count;
    };
    const QSize copySize(canvasSize.width() - removed(cutColumns),
                         canvasSize.height() - removed(cutRows));
    const bool blurred =
        m_copy.size() != copySize || m_copyOutline != copyOutline || m_copyLayers != layers;
    if (blurred) {
        m_copy = QImage(copySize, QImage::Format_ARGB32_Premultiplied);
        m_copy.fill(Qt::transparent);
        QPainter copyPainter(&m_copy);
        for (const Layer& layer : layers)
            copyPainter.drawImage(
                0, 0,
                renderDropShadow(copyOutline, copySize, layer.color, layer.radius, layer.offset));
        m_copyOutline = copyOutline;
        m_copyLayers = layers;
    }
    if (blurred || m_cutColumns != cutColumns || m_cutRows != cutRows) {
        m_cutColumns = std::move(cutColumns);
        m_cutRows = std::move(cutRows);
        compose(canvasSize);
    }
    painter.drawImage(0, 0, m_shadow);
}

void OutlineShadow::compose(QSize canvasSize)
{
    if (m_shadow.size() != canvasSize)
        m_shadow = QImage(canvasSize, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&m_shadow);
    // The bands cover the canvas; drawn as they are, a repeated column or row is copied exactly.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const Band& row : bandsOf(m_cutRows, canvasSize.height())) {
        for (const Band& column : bandsOf(m_cutColumns, canvasSize.width())) {
            if (row.length > 0 && column.length > 0)
                painter.drawImage(
                    QRect(column.start, row.start, column.length, row.length), m_copy,
                    QRect(column.copyStart, row.copyStart, column.copyLength, row.copyLength));
        }
    }
}
