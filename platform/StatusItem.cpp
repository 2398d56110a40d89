#include "StatusItem.h"

#include "IconBackdrop.h"
#include "Log.h"
#include "WindowSystem.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

namespace {

const Log logger("quillory.statusitem");

// Qt's class of the window it puts in an X11 tray for the icon.
constexpr const char* trayIconWindowClass = "QSystemTrayIconSys";

bool isKnown(const QRect& rect)
{
    return rect.isValid() && !rect.isEmpty();
}

} // namespace

StatusItem::StatusItem(QObject* parent)
    : StatusItem(Clock::system(), parent)
{}

StatusItem::StatusItem(const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_backdrop(IconBackdrop::create())
{
    connect(&m_tray, &QSystemTrayIcon::activated, this, &StatusItem::activate);
    connect(m_backdrop.get(), &IconBackdrop::colorChanged, this, &StatusItem::barColorChanged);
}

StatusItem::~StatusItem() = default;

bool StatusItem::isTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void StatusItem::show()
{
    if (!isTrayAvailable())
        logger.error(QStringLiteral("Quillory: the desktop has no system tray; the icon appears "
                                    "when one starts, the shortcut opens the panel meanwhile"));
    // Qt embeds the icon as soon as a tray appears, so it is shown either way.
    m_tray.show();
    // Sent now rather than when the current event is done, the tray takes the icon in while
    // the rest of start-up runs.
    WindowSystem::flush();
    followIconWindow();
}

QWidget* StatusItem::iconWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits(trayIconWindowClass) && widget->windowHandle())
            return widget;
    }
    return nullptr;
}

void StatusItem::followIconWindow()
{
    QWidget* icon = iconWindow();
    if (!icon) {
        // Qt makes the window once a tray appears; until then, the widgets shown are looked at.
        qApp->installEventFilter(this);
        return;
    }
    qApp->removeEventFilter(this);
    m_backdrop->follow(icon->winId());
    // Queued: the window is still listed while it goes.
    connect(icon, &QObject::destroyed, this, &StatusItem::followIconWindow,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
}

bool StatusItem::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->inherits(trayIconWindowClass))
        followIconWindow();
    return false;
}

std::optional<QColor> StatusItem::barColor() const
{
    return m_backdrop->color();
}

void StatusItem::refreshBarColor()
{
    m_backdrop->refresh();
}

void StatusItem::setIcon(const QIcon& icon)
{
    m_tray.setIcon(icon);
}

void StatusItem::setAccessibilityLabel(const QString& label)
{
    // Trays read the tool tip as the icon's name.
    m_tray.setToolTip(label);
}

void StatusItem::setAutosaveName(const QString& name)
{
    m_tray.setObjectName(name);
}

QRect StatusItem::iconGeometry() const
{
    const QRect reported = m_tray.geometry();
    if (!isKnown(reported))
        return {};
    // An icon embedded in an X11 tray is a window of ours inside the tray's; Qt keeps the
    // position it had before the tray took it in, so X is asked where it really is.
    if (const QWidget* icon = iconWindow()) {
        if (const std::optional<QPoint> position = WindowSystem::screenPosition(icon->winId()))
            return QRect(*position, reported.size());
    }
    return reported;
}

QRect StatusItem::anchorGeometry() const
{
    const QRect icon = iconGeometry();
    if (isKnown(icon))
        return icon;
    if (m_lastClick)
        return QRect(*m_lastClick, QSize(1, 1));
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return {};
    const QRect available = primary->availableGeometry();
    return QRect(available.right(), available.top(), 1, 1);
}

QScreen* StatusItem::screen() const
{
    QScreen* screen = QGuiApplication::screenAt(anchorGeometry().center());
    return screen ? screen : QGuiApplication::primaryScreen();
}

void StatusItem::popUpMenu(QMenu* menu)
{
    const QRect anchor = anchorGeometry();
    menu->popup(m_lastClick ? *m_lastClick : anchor.bottomLeft());
}

bool StatusItem::handlesOutsidePress(const QPoint& globalPosition)
{
    const QRect icon = iconGeometry();
    if (isKnown(icon))
        return icon.contains(globalPosition);
    m_suppressedPress = Press{globalPosition, m_clock.now()};
    return false;
}

bool StatusItem::isFromSuppressedPress(const QPoint& pointer)
{
    if (!m_suppressedPress)
        return false;
    const Press press = *m_suppressedPress;
    m_suppressedPress.reset();
    const qint64 elapsed = press.time.msecsTo(m_clock.now());
    return elapsed >= 0 && elapsed <= samePressWindow.count() &&
           (pointer - press.position).manhattanLength() <= QApplication::startDragDistance();
}

void StatusItem::activate(QSystemTrayIcon::ActivationReason reason)
{
    const QPoint pointer = QCursor::pos();
    if (QGuiApplication::screenAt(pointer))
        m_lastClick = pointer;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        if (!isFromSuppressedPress(pointer))
            Q_EMIT clicked();
        break;
    case QSystemTrayIcon::Context:
        m_suppressedPress.reset();
        Q_EMIT rightClicked();
        break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}
