#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QVariantAnimation>

class Appearance;

// The compact on/off switch: a capsule track with a white knob that sits at the right end
// when on. A click flips it at once; every change of state on screen, from a click or from
// setChecked, slides the knob and fades the track over 0.18 s. Read aloud as "On" or "Off".
class SwitchToggle : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr QSize trackSize{28, 16};
    static constexpr qreal knobInset = 1.5;
    static constexpr int slideDuration = 180; // ms

    SwitchToggle(const QString& help, const Appearance& appearance, QWidget* parent = nullptr);

    // 0 with the knob at the left (off) to 1 at the right (on); between while it slides.
    qreal knobPosition() const;
    // "On" or "Off".
    QString accessibleValue() const;

    QSize sizeHint() const override { return trackSize; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void nextCheckState() override;

private:
    // The knob's soft shadow, drawn at the pixel ratio given.
    static QImage knobShadow(qreal diameter, qreal ratio);

    const Appearance& m_appearance;
    QVariantAnimation m_slide;
    QImage m_knobShadow;
};
