#include "PanelGlide.h"

namespace {

qreal between(qreal from, qreal to, qreal progress)
{
    return from + (to - from) * progress;
}

// Where the notch's tip is on the screen.
qreal tipX(const PanelPlacement& placement)
{
    return placement.frame.x() + PanelGeometry::sideMargin + placement.notchCenterX;
}

} // namespace

PanelGlide::PanelGlide(QObject* parent)
    : QObject(parent)
{
    m_progress.setStartValue(0.0);
    m_progress.setEndValue(1.0);
    connect(&m_progress, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& progress) { showProgress(progress.toReal()); });
    connect(&m_progress, &QAbstractAnimation::finished, this, &PanelGlide::moved);
}

void PanelGlide::start(const PanelPlacement& from, const PanelPlacement& to,
                       const Animation& animation)
{
    m_progress.stop();
    m_from = from;
    m_to = to;
    m_progress.setEasingCurve(animation.curve);
    m_progress.setDuration(int(animation.duration.count()));
    m_progress.start();
    // The first frame at once: Qt tells of a frame only when its value differs from the last.
    showProgress(0);
}

void PanelGlide::stop()
{
    m_progress.stop();
}

void PanelGlide::showProgress(qreal progress)
{
    const QRectF& from = m_from.frame;
    const QRectF& to = m_to.frame;
    // The window lies on whole points; the outline fills it exactly, and the notch's tip goes
    // its own straight way across the screen.
    const QRect frame(qRound(between(from.x(), to.x(), progress)),
                      qRound(between(from.y(), to.y(), progress)),
                      qRound(between(from.width(), to.width(), progress)),
                      qRound(between(from.height(), to.height(), progress)));
    m_shown = m_to;
    m_shown.frame = frame;
    m_shown.noteSize = QSizeF(frame.size()) - PanelGeometry::frameSize(QSizeF(0, 0));
    m_shown.notchCenterX =
        between(tipX(m_from), tipX(m_to), progress) - frame.x() - PanelGeometry::sideMargin;
    Q_EMIT moved();
}
