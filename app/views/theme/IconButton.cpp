#include "IconButton.h"

#include "app/views/theme/Lucide.h"
#include "app/views/theme/Theme.h"
#include "platform/MainThread.h"

#include <QEvent>

IconButton::IconButton(const QString& icon, int size, const ThemeColor& color, const QString& help,
                       const Appearance& appearance, QWidget* parent)
    : QAbstractButton(parent)
    , m_icon(new Lucide(icon, size, color, appearance, this))
    , m_color(color)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // Ahead of the actions connected by whoever uses the button, and in the thread the click
    // came from.
    connect(
        this, &QAbstractButton::clicked, this, [] { QUILLORY_ASSERT_MAIN_THREAD(); },
        Qt::DirectConnection);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFixedSize(sizeHint());
    m_icon->move(padding, padding);
    setHelp(help);
}

void IconButton::setHelp(const QString& help)
{
    setToolTip(help);
    setAccessibleName(help);
}

QSize IconButton::sizeHint() const
{
    const int side = m_icon->iconSize() + 2 * padding;
    return {side, side};
}

void IconButton::paintEvent(QPaintEvent*)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // The icon child draws everything; there is no bezel and no hover background.
}

void IconButton::enterEvent(QEnterEvent* event)
{
    m_hovering = true;
    refresh();
    QAbstractButton::enterEvent(event);
}

void IconButton::leaveEvent(QEvent* event)
{
    m_hovering = false;
    refresh();
    QAbstractButton::leaveEvent(event);
}

void IconButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        refresh();
    QAbstractButton::changeEvent(event);
}

void IconButton::refresh()
{
    const bool enabled = isEnabled();
    m_icon->setColor(m_hovering && enabled ? Theme::textPrimary() : m_color);
    m_icon->setOpacity(enabled ? 1.0 : disabledOpacity);
}
