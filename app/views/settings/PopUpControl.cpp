#include "PopUpControl.h"

#include <QWheelEvent>

PopUpControl::PopUpControl(QWidget* parent)
    : QComboBox(parent)
{
    QFont small = font();
    small.setPixelSize(fontSize);
    setFont(small);
    setIconSize(imageSize);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QStringList PopUpControl::titles() const
{
    QStringList shown;
    for (int i = 0; i < count(); ++i)
        shown.append(itemText(i));
    return shown;
}

void PopUpControl::setItems(const QList<PopUpItem>& items, int selected, const QString& help)
{
    QStringList wanted;
    for (const PopUpItem& item : items)
        wanted.append(item.title);
    if (wanted != titles()) {
        clear();
        for (const PopUpItem& item : items)
            addItem(QIcon(item.image), item.title);
    }
    if (currentIndex() != selected)
        setCurrentIndex(selected);
    setToolTip(help);
}

void PopUpControl::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
