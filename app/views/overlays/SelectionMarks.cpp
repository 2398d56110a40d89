#include "SelectionMarks.h"

SelectionMarks::SelectionMarks(QObject* parent)
    : QObject(parent)
{
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setShown(value.toReal()); });
    connect(&m_animation, &QAbstractAnimation::finished, this, [this] {
        if (m_shown == 0)
            m_leavingTicks.clear();
    });
}

void SelectionMarks::show(const Animation& animation)
{
    m_leavingTicks.clear();
    moveTo(1, animation);
}

void SelectionMarks::hide(const QSet<QUuid>& ticks, const Animation& animation)
{
    m_leavingTicks = ticks;
    moveTo(0, animation);
}

void SelectionMarks::moveTo(qreal shown, const Animation& animation)
{
    m_animation.stop();
    m_animation.setStartValue(m_shown);
    m_animation.setEndValue(shown);
    m_animation.setEasingCurve(animation.curve);
    m_animation.setDuration(int(animation.duration.count()));
    m_animation.start();
}

void SelectionMarks::setShown(qreal shown)
{
    m_shown = shown;
    Q_EMIT changed();
}
