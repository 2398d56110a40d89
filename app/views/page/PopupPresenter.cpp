#include "PopupPresenter.h"

#include "app/views/page/PageSnapshot.h"

#include <QGraphicsOpacityEffect>
#include <QLayout>

PopupPresenter::PopupPresenter(Factory make, QObject* parent)
    : QObject(parent)
    , m_make(std::move(make))
{
    m_motion.setStartValue(0.0);
    m_motion.setEndValue(1.0);
    connect(&m_motion, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { showProgress(progress.toReal()); });
    connect(&m_motion, &QAbstractAnimation::finished, this, &PopupPresenter::finish);
}

PopupPresenter::~PopupPresenter()
{
    delete m_snapshot;
}

void PopupPresenter::setOpen(bool open, const Animation& animation)
{
    if (open == (card() != nullptr))
        return;
    m_motion.stop();
    delete m_snapshot;
    if (open) {
        // A card still leaving gives way to the new one.
        discardCard();
        m_leaving = false;
        m_card = m_make();
        m_card->raise();
    } else {
        m_leaving = true;
    }
    if (animation.isNone()) {
        finish();
        return;
    }
    if (QLayout* layout = m_card->layout())
        layout->activate();
    m_anchor = m_card->cardRect().topLeft();
    m_snapshot = new PageSnapshot(*m_card, m_card->parentWidget());
    m_snapshot->setGeometry(m_card->geometry());
    m_snapshot->show();
    m_snapshot->raise();
    if (m_leaving) {
        // Only its picture leaves; the card itself is done.
        discardCard();
    } else {
        // Drawn only as the picture until it rests, but it takes clicks from the start.
        auto* unseen = new QGraphicsOpacityEffect(m_card);
        unseen->setOpacity(0);
        m_card->setGraphicsEffect(unseen);
        m_card->show();
    }
    m_motion.setEasingCurve(animation.curve);
    m_motion.setDuration(int(animation.duration.count()));
    showProgress(0);
    m_motion.start();
}

void PopupPresenter::showProgress(qreal progress)
{
    if (!m_snapshot)
        return;
    const qreal shown = m_leaving ? 1 - progress : progress;
    const qreal scale = startScale + (1 - startScale) * shown;
    // Scaled about its centre, then moved back so the card's top-left corner stays put.
    const QPointF centre = QRectF(m_snapshot->rect()).center();
    const QPointF shift = (1 - scale) * (QPointF(m_anchor) - centre);
    m_snapshot->setEffect({shift.x(), shift.y(), scale, std::clamp(shown, 0.0, 1.0)});
}

void PopupPresenter::finish()
{
    delete m_snapshot;
    if (m_leaving) {
        m_leaving = false;
        discardCard();
    } else if (m_card) {
        m_card->setGraphicsEffect(nullptr);
        m_card->show();
    }
}

void PopupPresenter::discardCard()
{
    // The card may be closing from one of its own event handlers (a tap on a row of the list,
    // a colour dot): it is hidden at once and goes once that event is done.
    if (PopupCard* card = std::exchange(m_card, nullptr)) {
        card->hide();
        card->deleteLater();
    }
}
