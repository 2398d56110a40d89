#pragma once

#include "app/notes/Hue.h"

#include <QAbstractButton>

class Appearance;

// One dot of the colour picker: an 18-point disc in a note colour with a ring inside its edge,
// thick and grey for the note's present colour, thin in the hue's accent for the others. Only
// the disc takes a click. Named after its hue for the tooltip and for assistive technologies.
class ColorPickerDot : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int diameter = 18;
    static constexpr qreal currentRingWidth = 2;
    static constexpr qreal ringWidth = 1;

    ColorPickerDot(Hue hue, const Appearance& appearance, QWidget* parent = nullptr);

    Hue hue() const { return m_hue; }
    bool isCurrent() const { return m_current; }
    void setCurrent(bool current);

    qreal drawnRingWidth() const { return m_current ? currentRingWidth : ringWidth; }
    QColor drawnRingColor() const;

    QSize sizeHint() const override { return {diameter, diameter}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    Hue m_hue;
    const Appearance& m_appearance;
    bool m_current = false;
};
