#include "SwitchToggle.h"

#include "app/views/theme/DropShadow.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr QColor knobShadowColor{0, 0, 0, 56}; // black at 0.22
constexpr qreal knobShadowRadius = 1;
constexpr QPointF knobShadowOffset{0, 0.5};

class SwitchAccessibility : public QAccessibleWidget
{
public:
    explicit SwitchAccessibility(SwitchToggle* toggle)
        : QAccessibleWidget(toggle, QAccessible::CheckBox)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return static_cast<SwitchToggle*>(widget())->accessibleValue();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* switchAccessibilityFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("SwitchToggle") && object && object->isWidgetType())
        return new SwitchAccessibility(static_cast<SwitchToggle*>(object));
    return nullptr;
}

QColor mix(const QColor& from, const QColor& to, qreal progress)
{
    auto channel = [progress](float a, float b) { return a + (b - a) * float(progress); };
    return QColor::fromRgbF(channel(from.redF(), to.redF()), channel(from.greenF(), to.greenF()),
                            channel(from.blueF(), to.blueF()), channel(from.alphaF(), to.alphaF()));
}

} // namespace

SwitchToggle::SwitchToggle(const QString& help, const Appearance& appearance, QWidget* parent)
    : QAbstractButton(parent)
    , m_appearance(appearance)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(switchAccessibilityFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setCheckable(true);
    setFixedSize(trackSize);
    setToolTip(help);
    setCursor(Qt::ArrowCursor);
    m_slide.setDuration(slideDuration);
    m_slide.setEasingCurve(QEasingCurve::OutQuad);
    connect(&m_slide, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        // Off screen there is nothing to slide: the switch is shown at its new end.
        if (!isVisible()) {
            m_slide.stop();
            return;
        }
        // From wherever the knob is: mid-slide, or the end it rested at before this change.
        const bool sliding = m_slide.state() == QAbstractAnimation::Running;
        const qreal from = sliding ? m_slide.currentValue().toReal() : (on ? 0.0 : 1.0);
        m_slide.stop();
        m_slide.setStartValue(from);
        m_slide.setEndValue(on ? 1.0 : 0.0);
        m_slide.start();
    });
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

qreal SwitchToggle::knobPosition() const
{
    if (m_slide.state() == QAbstractAnimation::Running)
        return m_slide.currentValue().toReal();
    return isChecked() ? 1.0 : 0.0;
}

QString SwitchToggle::accessibleValue() const
{
    return isChecked() ? QStringLiteral("On") : QStringLiteral("Off");
}

bool SwitchToggle::hitButton(const QPoint& position) const
{
    QPainterPath capsule;
    const QRectF track(QPointF(0, 0), QSizeF(trackSize));
    capsule.addRoundedRect(track, track.height() / 2, track.height() / 2);
    return capsule.contains(position);
}

QImage SwitchToggle::knobShadow(qreal diameter, qreal ratio)
{
    // Blurred in device pixels, with room around the knob for the blur and the offset.
    const int margin = dropShadowReach(knobShadowRadius * ratio) +
                       qCeil(knobShadowOffset.manhattanLength() * ratio);
    const qreal side = diameter * ratio;
    QPainterPath knob;
    knob.addEllipse(QRectF(margin, margin, side, side));
    const int canvas = qCeil(side) + 2 * margin;
    QImage shadow = renderDropShadow(knob, QSize(canvas, canvas), knobShadowColor,
                                     knobShadowRadius * ratio, knobShadowOffset * ratio);
    shadow.setDevicePixelRatio(ratio);
    return shadow;
}

void SwitchToggle::nextCheckState()
{
    // The flip a click makes.
    QUILLORY_ASSERT_MAIN_THREAD();
    QAbstractButton::nextCheckState();
}

void SwitchToggle::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal position = knobPosition();
    const QRectF track(QPointF(0, 0), QSizeF(trackSize));
    painter.setPen(Qt::NoPen);
    painter.setBrush(mix(Theme::switchOff().resolved(m_appearance),
                         Theme::switchOn().resolved(m_appearance), position));
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    const qreal diameter = track.height() - 2 * knobInset;
    const qreal travel = track.width() - 2 * knobInset - diameter;
    const QRectF knob(knobInset + travel * position, knobInset, diameter, diameter);
    // Of what is painted on, which may be a picture rather than the screen.
    const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatioF();
    if (m_knobShadow.isNull() || m_knobShadow.devicePixelRatio() != ratio)
        m_knobShadow = knobShadow(diameter, ratio);
    const qreal margin = (m_knobShadow.width() / ratio - diameter) / 2;
    painter.drawImage(knob.topLeft() - QPointF(margin, margin), m_knobShadow);
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
}
