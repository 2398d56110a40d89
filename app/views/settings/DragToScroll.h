#pragma once

#include <QObject>

#include <optional>

class QAbstractScrollArea;

// Lets a drag on the page of a scroll area move the page up and down, as a finger would,
// where no control takes the press: a press that hardly moves stays a click. The page needs
// no scroll bar to be dragged.
class DragToScroll : public QObject
{
    Q_OBJECT

public:
    explicit DragToScroll(QAbstractScrollArea& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Press
    {
        qreal y;        // on the screen
        int pageOffset; // the page's scroll position then
    };

    QAbstractScrollArea& m_area;
    std::optional<Press> m_press;
    bool m_dragging = false;
};
