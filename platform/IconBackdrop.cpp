#include "IconBackdrop.h"

void IconBackdrop::setColor(const std::optional<QColor>& color)
{
    if (color == m_color)
        return;
    m_color = color;
    Q_EMIT colorChanged();
}
