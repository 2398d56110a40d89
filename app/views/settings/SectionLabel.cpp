#include "SectionLabel.h"

#include "app/views/theme/Theme.h"
#include "platform/MainThread.h"

SectionLabel::SectionLabel(const QString& text, const Appearance& appearance, QWidget* parent)
    : ThemeLabel(text, Theme::textTertiary(), fontSize, QFont::DemiBold, appearance, parent)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QFont tracked = font();
    tracked.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    setFont(tracked);
    setContentsMargins(padding);
}
