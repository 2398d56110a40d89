#pragma once

#include "platform/Appearance.h"

#include <QColor>

// One colour of the panel as a light and a dark value; which one is drawn is decided by the
// appearance at the time of drawing, so a switch between light and dark needs no bookkeeping.
class ThemeColor
{
public:
    ThemeColor(const QColor& light, const QColor& dark)
        : m_light(light)
        , m_dark(dark)
    {}

    QColor light() const { return m_light; }
    QColor dark() const { return m_dark; }

    QColor resolved(Appearance::ColorScheme scheme) const
    {
        return scheme == Appearance::ColorScheme::Dark ? m_dark : m_light;
    }
    QColor resolved(const Appearance& appearance) const
    {
        return resolved(appearance.colorScheme());
    }

private:
    QColor m_light;
    QColor m_dark;
};
