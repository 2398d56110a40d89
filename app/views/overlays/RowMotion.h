#pragma once

#include "app/views/theme/Animation.h"

#include <QHash>
#include <QPixmap>
#include <QUuid>
#include <QVariantAnimation>

#include <vector>

// The rows of a list on their way to new places after rows came, went or changed places:
// each row glides from where it was drawn to its place, a row that arrives fades in there,
// and a row that goes fades out where it was, drawn from a picture taken before it went.
// The list's height moves with them. Tops are in the coordinates of the list's viewport.
class RowMotion : public QObject
{
    Q_OBJECT

public:
    struct Placement
    {
        qreal top = 0;
        qreal opacity = 1;
    };
    struct Leaving
    {
        QUuid id;
        QPixmap picture;
        Placement placement;
    };

    explicit RowMotion(QObject* parent = nullptr);

    // From the rows as they were drawn, by id, and those that went; rows not named are at
    // their places throughout. Without an animation everything is at its place at once.
    void start(QHash<QUuid, Placement> from, std::vector<Leaving> leaving, qreal fromHeight,
               const Animation& animation);
    // Everything at its place now.
    void stop();

    // Where the row `id` is drawn now, when its place is at `restingTop`.
    Placement placement(const QUuid& id, qreal restingTop) const;
    // The rows named at the start, which may be drawn away from their places.
    QList<QUuid> moving() const { return m_from.keys(); }
    // The rows that went, as drawn now.
    std::vector<Leaving> leaving() const;
    // The list's height now, when at rest it is `restingHeight`.
    qreal height(qreal restingHeight) const;

    QVariantAnimation& animation() { return m_animation; }

Q_SIGNALS:
    // A step of the motion was taken, or it ended.
    void moved();

private:
    qreal between(qreal from, qreal to) const { return from + (to - from) * m_progress; }

    QVariantAnimation m_animation;
    QHash<QUuid, Placement> m_from;
    std::vector<Leaving> m_leaving;
    qreal m_fromHeight = 0;
    qreal m_progress = 1;
};
