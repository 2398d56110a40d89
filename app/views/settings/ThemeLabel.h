#pragma once

#include "app/views/theme/ThemeColor.h"

#include <QLabel>

class Appearance;

// A line of text in one theme colour, which follows the appearance by itself.
class ThemeLabel : public QLabel
{
    Q_OBJECT

public:
    ThemeLabel(const QString& text, const ThemeColor& color, int pixelSize, QFont::Weight weight,
               const Appearance& appearance, QWidget* parent = nullptr);

private:
    void applyColor();

    ThemeColor m_color;
    const Appearance& m_appearance;
};
