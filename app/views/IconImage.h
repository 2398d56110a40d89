#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// One of the program's line icons (resources/icons), drawn `size` points square in `color`
// at the device pixel ratio given. A null pixmap when there is no icon of that name.
QPixmap iconPixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio = 1);
