#pragma once

#include "app/views/theme/ThemeColor.h"

#include <QAbstractButton>

class Appearance;
class Lucide;

// A borderless button made of one line icon, padded 3 points on every side. The only hover
// feedback is the icon turning to the primary text colour; disabled, it is drawn faint. Its
// help text is both its tooltip and its accessible name. Clicks arrive as clicked().
class IconButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int padding = 3;
    static constexpr qreal disabledOpacity = 0.35;

    IconButton(const QString& icon, int size, const ThemeColor& color, const QString& help,
               const Appearance& appearance, QWidget* parent = nullptr);

    Lucide* icon() const { return m_icon; }
    void setHelp(const QString& help);
    bool isHovering() const { return m_hovering; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    Lucide* m_icon;
    ThemeColor m_color;
    bool m_hovering = false;
};
