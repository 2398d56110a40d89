#pragma once

#include <QAbstractButton>

class QHBoxLayout;

// A button without a bezel whose look is the row of widgets put into it; a click anywhere on
// it, the widgets included, is the button's. Tab reaches it, and Space presses it then.
class PlainButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PlainButton(int spacing, const QMargins& padding = {}, QWidget* parent = nullptr);

    void addContent(QWidget* content);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* m_row;
};
