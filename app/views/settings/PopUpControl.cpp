#include "PopUpControl.h"

#include "platform/MainThread.h"

#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace {

constexpr int entryPadding = 6;

// Entries drawn as a list's rather than as a menu's, so that they take the colours of the page,
// with room around each as a menu gives.
class EntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index)
            .grownBy({0, entryPadding / 2, entryPadding, entryPadding / 2});
    }
};

} // namespace

PopUpControl::PopUpControl(QWidget* parent)
    : QComboBox(parent)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QFont small = font();
    small.setPixelSize(fontSize);
    setFont(small);
    setIconSize(imageSize);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setItemDelegate(new EntryDelegate(this));
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
    QUILLORY_ASSERT_MAIN_THREAD();
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

void PopUpControl::initStyleOption(QStyleOptionComboBox* option) const
{
    QComboBox::initStyleOption(option);
    // The ring beside the control shows where the keyboard is, and only while it came there by
    // the keyboard; the style's own frame would stay after a pick with the mouse.
    option->state &= ~(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
}

void PopUpControl::wheelEvent(QWheelEvent* event)
{
    event->ignore();
}
