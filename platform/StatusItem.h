#pragma once

#include "platform/Clock.h"

#include <QDateTime>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSystemTrayIcon>

#include <chrono>
#include <memory>
#include <optional>

class IconBackdrop;
class QMenu;
class QScreen;

// The program's icon in the desktop's system tray. A left click and a right click are told
// apart; the menu is shown only when the owner asks, so it can close the panel first.
class StatusItem : public QObject
{
    Q_OBJECT

public:
    // How long after an outside press the icon's click from that same press may arrive.
    static constexpr std::chrono::milliseconds samePressWindow{1000};

    explicit StatusItem(QObject* parent = nullptr);
    StatusItem(const Clock& clock, QObject* parent = nullptr);
    ~StatusItem() override;

    // Shows the icon. Without a tray on the desktop one line is logged and nothing else
    // happens; the program goes on without the icon.
    void show();
    bool isTrayAvailable() const;

    void setIcon(const QIcon& icon);
    void setAccessibilityLabel(const QString& label);
    QString accessibilityLabel() const { return m_tray.toolTip(); }
    // The name the item is known by to the desktop between runs.
    void setAutosaveName(const QString& name);
    QString autosaveName() const { return m_tray.objectName(); }

    // Where the panel should hang: the icon's screen rectangle when the tray reports it,
    // else the pointer position at the last click, else the top right corner of the screen.
    QRect anchorGeometry() const;
    // The screen of the anchor; null when there is no screen at all.
    QScreen* screen() const;

    // Pops the menu up at the last click (else under the anchor) without blocking.
    void popUpMenu(QMenu* menu);

    // For whoever closes the panel on presses outside the program. Returns true when the press
    // is on the icon: the icon's own click will toggle the panel, so ignore the press. When
    // the tray does not report where the icon is, returns false and makes sure that the
    // click this same press causes on the icon does not open again what the caller closes.
    bool handlesOutsidePress(const QPoint& globalPosition);

    // The colour of the bar around the icon as the screen shows it; none where it cannot be
    // read or the icon is not in a tray.
    std::optional<QColor> barColor() const;
    // Reads the bar again shortly, after a change of the desktop that bars follow in their own
    // time (its colour scheme).
    void refreshBarColor();

    // The tray icon itself; tests send their clicks through it.
    QSystemTrayIcon* trayIcon() { return &m_tray; }

Q_SIGNALS:
    void clicked();
    void rightClicked();
    void barColorChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Press
    {
        QPoint position;
        QDateTime time;
    };
    // The window Qt puts in the tray for the icon, once there is a tray.
    static QWidget* iconWindow();
    void followIconWindow();
    QRect iconGeometry() const;
    void activate(QSystemTrayIcon::ActivationReason reason);
    bool isFromSuppressedPress(const QPoint& pointer);

    const Clock& m_clock;
    QSystemTrayIcon m_tray;
    std::unique_ptr<IconBackdrop> m_backdrop;
    std::optional<QPoint> m_lastClick;
    std::optional<Press> m_suppressedPress;
};
