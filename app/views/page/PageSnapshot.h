#pragma once

#include "app/views/page/PageTransition.h"

#include <QPixmap>
#include <QWidget>

// A picture of a page that is leaving: drawn moved, scaled and faded by its effect, and
// deaf to the mouse and the keyboard, so nothing can be typed into a page on its way out.
class PageSnapshot : public QWidget
{
    Q_OBJECT

public:
    // The picture of `page` as it is drawn now.
    PageSnapshot(QWidget& page, QWidget* parent = nullptr);

    PageEffect effect() const { return m_effect; }
    void setEffect(const PageEffect& effect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    PageEffect m_effect;
};
