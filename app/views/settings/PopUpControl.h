#pragma once

#include <QComboBox>
#include <QPixmap>

// One entry of a pop-up: its title and, before it, an optional image.
struct PopUpItem
{
    QString title;
    QPixmap image;
};

// A compact pop-up list at 12 points, as wide as its entries need. Every pick is reported
// through activated(), also a pick of the entry already chosen. It leaves the mouse wheel to
// the page around it, so that scrolling the page never changes a setting.
class PopUpControl : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int fontSize = 12;
    // Room for the widest image any entry carries.
    static constexpr QSize imageSize{21, 11};

    explicit PopUpControl(QWidget* parent = nullptr);

    // What the list shows now: its entries are made anew only when their titles differ from
    // the ones shown (an image alone changes nothing), the entry `selected` is chosen, and
    // `help` becomes the tooltip (none when empty).
    void setItems(const QList<PopUpItem>& items, int selected, const QString& help);

    QStringList titles() const;

protected:
    void initStyleOption(QStyleOptionComboBox* option) const override;
    void wheelEvent(QWheelEvent* event) override;
};
