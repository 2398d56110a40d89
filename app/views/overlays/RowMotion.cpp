#include "RowMotion.h"

RowMotion::RowMotion(QObject* parent)
    : QObject(parent)
{
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toReal();
        Q_EMIT moved();
    });
    connect(&m_animation, &QAbstractAnimation::finished, this, &RowMotion::stop);
}

void RowMotion::start(QHash<QUuid, Placement> from, std::vector<Leaving> leaving, qreal fromHeight,
                      const Animation& animation)
{
    m_animation.stop();
    if (animation.isNone()) {
        stop();
        return;
    }
    m_from = std::move(from);
    m_leaving = std::move(leaving);
    m_fromHeight = fromHeight;
    m_progress = 0;
    m_animation.setEasingCurve(animation.curve);
    m_animation.setDuration(int(animation.duration.count()));
    m_animation.start();
}

void RowMotion::stop()
{
    m_animation.stop();
    m_from.clear();
    m_leaving.clear();
    m_progress = 1;
    Q_EMIT moved();
}

RowMotion::Placement RowMotion::placement(const QUuid& id, qreal restingTop) const
{
    const auto from = m_from.constFind(id);
    if (from == m_from.cend())
        return {restingTop, 1};
    return {between(from->top, restingTop), between(from->opacity, 1)};
}

std::vector<RowMotion::Leaving> RowMotion::leaving() const
{
    std::vector<Leaving> rows = m_leaving;
    for (Leaving& row : rows)
        row.placement.opacity = between(row.placement.opacity, 0);
    return rows;
}

qreal RowMotion::height(qreal restingHeight) const
{
    return between(m_fromHeight, restingHeight);
}
