#include "SectionLabel.h"

#include "app/views/Theme.h"

SectionLabel::SectionLabel(const QString& text, const Appearance& appearance, QWidget* parent)
    : ThemeLabel(text, Theme::textTertiary(), fontSize, QFont::DemiBold, appearance, parent)
{
    QFont tracked = font();
    tracked.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    setFont(tracked);
    setContentsMargins(padding);
}
