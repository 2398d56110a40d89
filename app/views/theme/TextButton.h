#pragma once

#include "app/views/theme/ThemeColor.h"

#include <QAbstractButton>

class Appearance;

// A plain button that is only its title: 11-point semibold text in one theme colour; the
// whole label takes the click. Disabled, it is drawn faint.
class TextButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int fontSize = 11;
    static constexpr qreal disabledOpacity = 0.4;

    TextButton(const QString& title, const ThemeColor& color, const Appearance& appearance,
               QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeColor m_color;
    const Appearance& m_appearance;
};
