#pragma once

#include "app/views/overlays/PopupCard.h"
#include "app/views/theme/Animation.h"

#include <QPointer>
#include <QVariantAnimation>

#include <functional>

class PageSnapshot;
class QWidget;

// Shows and hides one floating card of the note page, made anew at each opening. Entering,
// it grows from 0.85 of its size out of its top-left corner and fades in; leaving, the
// reverse; both with the animation of the change that opened or closed it, at once without.
// While it moves, a picture of the card is drawn in its place.
class PopupPresenter : public QObject
{
    Q_OBJECT

public:
    static constexpr qreal startScale = 0.85;

    using Factory = std::function<PopupCard*()>;

    explicit PopupPresenter(Factory make, QObject* parent = nullptr);
    ~PopupPresenter() override;

    // The card on screen or entering; null when closed or leaving.
    PopupCard* card() const { return m_leaving ? nullptr : m_card.data(); }
    // The picture drawn while the card moves; null at rest.
    PageSnapshot* snapshot() const { return m_snapshot; }

    void setOpen(bool open, const Animation& animation);

private:
    void showProgress(qreal progress);
    void finish();
    void discardCard();

    Factory m_make;
    QPointer<PopupCard> m_card;
    QPointer<PageSnapshot> m_snapshot;
    // The card's top-left corner in the picture, which stays put while it scales.
    QPoint m_anchor;
    bool m_leaving = false;
    QVariantAnimation m_motion;
};
