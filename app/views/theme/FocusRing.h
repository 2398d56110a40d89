#pragma once

#include <QWidget>

class Appearance;

// A ring in the accent colour just outside a control while it has the keyboard focus, so that
// someone moving through the controls with Tab sees where they are. It shows only when the
// focus came by the keyboard: a control focused or pressed by the mouse shows none. The ring
// lives beside the control, in the parent the control has when the ring is made, follows it
// there and goes with it.
class FocusRing : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal lineWidth = 2;
    // Between the control's edge and the ring.
    static constexpr qreal gap = 1;
    // How far the ring reaches beyond the control on every side.
    static constexpr int reach = 3;
    static_assert(reach >= gap + lineWidth);
    // For controls whose outline is a plain or barely rounded rectangle.
    static constexpr qreal squareCornerRadius = 3;

    // `cornerRadius` is that of the control's own outline; the ring keeps its distance from it.
    FocusRing(QWidget& control, qreal cornerRadius, const Appearance& appearance);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QWidget& m_control;
    qreal m_cornerRadius;
    const Appearance& m_appearance;
    bool m_cameByKeyboard = false;
};
