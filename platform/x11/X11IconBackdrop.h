#pragma once

#include "platform/IconBackdrop.h"
#include "platform/x11/X11Connection.h"

#include <QList>
#include <QRect>
#include <QRegion>
#include <QTimer>

// Reads the bar from the root window's image, beside the icon and inside the outermost window
// that holds it, over a connection of its own. Learns that the bar may have changed from the
// exposures and moves of the icon and its holders, from the icon being taken in again, and
// from a new desktop background, which translucent bars show through.
class X11IconBackdrop final : public IconBackdrop
{
    Q_OBJECT

public:
    explicit X11IconBackdrop(QObject* parent);

    void follow(WId window) override;
    void refresh() override;

private:
    void handleEvent(const xcb_generic_event_t& event);
    // Asks for the icon's events, once its window exists on the server.
    void watchIcon();
    void watchHolders();
    void read();
    std::optional<QColor> barAroundIcon() const;
    // What other windows in the holders show there (other programs' icons), on the screen.
    QRegion otherWindows() const;
    std::optional<QRect> rootGeometry(xcb_window_t window) const;
    QList<QRgb> pixels(const QRect& area) const;

    X11Connection m_connection;
    QTimer m_settle;
    QTimer m_lookForIcon;
    int m_looksLeft = 0;
    xcb_window_t m_icon = XCB_WINDOW_NONE;
    // From the icon's parent up to the window just below the root.
    QList<xcb_window_t> m_holders;
    QList<xcb_atom_t> m_backgroundProperties;
    QRect m_screen;
};
