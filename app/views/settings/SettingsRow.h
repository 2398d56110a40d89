#pragma once

#include <QWidget>

class Appearance;
class ThemeLabel;

// One setting: its title at the left and its control at the right, centred vertically.
class SettingsRow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int height = 33;
    static constexpr int sidePadding = 11;
    static constexpr int titleSize = 13;
    static constexpr int minimumGap = 8;

    SettingsRow(const QString& title, QWidget* control, const Appearance& appearance,
                QWidget* parent = nullptr);

    ThemeLabel* title() const { return m_title; }
    QWidget* control() const { return m_control; }

private:
    ThemeLabel* m_title;
    QWidget* m_control;
};
