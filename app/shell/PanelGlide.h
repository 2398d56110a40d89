#pragma once

#include "app/views/outline/PanelPlacement.h"
#include "app/views/theme/Animation.h"

#include <QObject>
#include <QVariantAnimation>

// Carries the panel from where it shows to a new placement over an animation: the window's
// frame, the note area and the notch all move together, so the notch's tip goes straight from
// where it pointed to where it will point, over the icon all along when that does not move.
class PanelGlide : public QObject
{
    Q_OBJECT

public:
    explicit PanelGlide(QObject* parent = nullptr);

    // From `from`, as the panel shows now, to `to`.
    void start(const PanelPlacement& from, const PanelPlacement& to, const Animation& animation);
    void stop();
    bool isRunning() const { return m_progress.state() == QAbstractAnimation::Running; }

    // Where the panel shows this frame: its window on whole points, and its outline.
    const PanelPlacement& shown() const { return m_shown; }

Q_SIGNALS:
    // Each frame, and once more when the glide is over.
    void moved();

private:
    void showProgress(qreal progress);

    PanelPlacement m_from;
    PanelPlacement m_to;
    PanelPlacement m_shown;
    QVariantAnimation m_progress;
};
