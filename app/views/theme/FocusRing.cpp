#include "FocusRing.h"

#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QFocusEvent>
#include <QPainter>

FocusRing::FocusRing(QWidget& control, qreal cornerRadius, const Appearance& appearance)
    : QWidget(control.parentWidget())
    , m_control(control)
    , m_cornerRadius(cornerRadius)
    , m_appearance(appearance)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    control.installEventFilter(this);
    connect(&control, &QObject::destroyed, this, &QObject::deleteLater);
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

bool FocusRing::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        switch (static_cast<QFocusEvent*>(event)->reason()) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            m_cameByKeyboard = true;
            break;
        // The focus coming back from a pop-up list or another window is where it was.
        case Qt::PopupFocusReason:
        case Qt::ActiveWindowFocusReason:
            break;
        default:
            m_cameByKeyboard = false;
            break;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_cameByKeyboard = false;
        break;
    case QEvent::FocusOut:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        break;
    default:
        return false;
    }
    follow();
    return false;
}

void FocusRing::follow()
{
    if (!m_control.hasFocus() || !m_cameByKeyboard || !m_control.isVisible()) {
        hide();
        return;
    }
    setGeometry(m_control.geometry().marginsAdded({reach, reach, reach, reach}));
    raise();
    show();
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::accent().resolved(m_appearance), lineWidth));
    painter.setBrush(Qt::NoBrush);
    // The middle of the line, `gap` away from the control.
    const qreal outset = gap + lineWidth / 2;
    const qreal inset = reach - outset;
    const QRectF ring = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    painter.drawRoundedRect(ring, m_cornerRadius + outset, m_cornerRadius + outset);
}
