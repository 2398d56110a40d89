#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// One of the program's line icons (resources/icons), drawn `size` points square in `color`
// at the device pixel ratio given. A null pixmap when there is no icon of that name.
QPixmap iconPixmap(const QString& name, int size, const QColor& color, qreal devicePixelRatio = 1);

// An icon drawn as `pixmap` that gives `themeName` as its name, for desktop shells that look
// icons up by name in their icon theme and draw them their own way.
QIcon namedIcon(const QString& themeName, const QPixmap& pixmap);
