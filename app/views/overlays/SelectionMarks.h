#pragma once

#include "app/views/theme/Animation.h"

#include <QSet>
#include <QUuid>
#include <QVariantAnimation>

// How far the selection marks of the note list are in: 0 gone, 1 fully shown, in between
// while they grow and fade in or shrink and fade out. Marks on their way out keep the ticks
// they had, since the ticks themselves are dropped at once when the mode ends.
class SelectionMarks : public QObject
{
    Q_OBJECT

public:
    explicit SelectionMarks(QObject* parent = nullptr);

    qreal shown() const { return m_shown; }
    // A mark on its way out that was ticked when the mode ended.
    bool keepsTick(const QUuid& id) const { return m_leavingTicks.contains(id); }

    void show(const Animation& animation);
    void hide(const QSet<QUuid>& ticks, const Animation& animation);

    QVariantAnimation& animation() { return m_animation; }

Q_SIGNALS:
    void changed();

private:
    void moveTo(qreal shown, const Animation& animation);
    void setShown(qreal shown);

    QVariantAnimation m_animation;
    qreal m_shown = 0;
    QSet<QUuid> m_leavingTicks;
};
