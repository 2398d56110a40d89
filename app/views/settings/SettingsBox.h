#pragma once

#include <QWidget>

class Appearance;
class QVBoxLayout;
class SettingsRow;

// One section's rows on a rounded card, with a divider between every two rows.
class SettingsBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 8;
    static constexpr qreal outlineWidth = 1;

    explicit SettingsBox(const Appearance& appearance, QWidget* parent = nullptr);

    void addRow(SettingsRow* row);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Appearance& m_appearance;
    QVBoxLayout* m_rows;
};
