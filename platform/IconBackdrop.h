#pragma once

#include <QColor>
#include <QObject>
#include <qwindowdefs.h>

#include <memory>
#include <optional>

// The colour of what lies around a window of ours that another client took in, as the screen
// shows it: the bar behind the tray icon. Read again whenever the bar may have changed, never
// on a timer; where the screen cannot be read, there is no colour.
class IconBackdrop : public QObject
{
    Q_OBJECT

public:
    // The desktop's own; one that reports no colour where the window system cannot tell.
    static std::unique_ptr<IconBackdrop> create(QObject* parent = nullptr);

    // Follows what surrounds `window`, wherever it is taken in and moved.
    virtual void follow(WId window) = 0;
    // Reads the colour again shortly, after a change the window system does not announce
    // (the desktop's colour scheme, which bars follow in their own time).
    virtual void refresh() = 0;

    std::optional<QColor> color() const { return m_color; }

Q_SIGNALS:
    void colorChanged();

protected:
    using QObject::QObject;
    void setColor(const std::optional<QColor>& color);

private:
    std::optional<QColor> m_color;
};
