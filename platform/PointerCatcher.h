#pragma once

#include <QCursor>
#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <memory>

// An invisible window of its own that takes the pointer over parts of another window where
// that one cannot have it: where its window system shape cuts it away, as it does beyond what
// the window shows when there is no compositor to blend it. It reports what the pointer does
// there and shows the cursor it is given.
class PointerCatcher : public QObject
{
    Q_OBJECT

public:
    // The desktop's own; null where it has none.
    static std::unique_ptr<PointerCatcher> create(QObject* parent = nullptr);

    // Takes the pointer over `region` of a window whose frame on the screen is `frame`, both
    // in device pixels, above that window; nowhere when the region is empty.
    virtual void cover(const QRect& frame, const QRegion& region) = 0;
    virtual void setCursor(const QCursor& cursor) = 0;

Q_SIGNALS:
    // A press, a release or a move, in device pixels of the covered window, with the button
    // that changed (none for a move), the buttons held after it and the event's time.
    void pointerEvent(QEvent::Type type, const QPoint& position, Qt::MouseButton button,
                      Qt::MouseButtons buttons, quint64 time);
    // The pointer went off the covered parts.
    void left();

protected:
    using QObject::QObject;
};
