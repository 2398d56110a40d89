#include "ThemeLabel.h"

#include "platform/Appearance.h"

ThemeLabel::ThemeLabel(const QString& text, const ThemeColor& color, int pixelSize,
                       QFont::Weight weight, const Appearance& appearance, QWidget* parent)
    : QLabel(text, parent)
    , m_color(color)
    , m_appearance(appearance)
{
    setTextFormat(Qt::PlainText);
    // Inside a button a label would otherwise take the button's text colour.
    setForegroundRole(QPalette::WindowText);
    QFont shown = font();
    shown.setPixelSize(pixelSize);
    shown.setWeight(weight);
    setFont(shown);
    connect(&appearance, &Appearance::changed, this, &ThemeLabel::applyColor);
    applyColor();
}

void ThemeLabel::applyColor()
{
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, m_color.resolved(m_appearance));
    setPalette(colors);
}
