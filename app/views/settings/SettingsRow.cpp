#include "SettingsRow.h"

#include "app/views/settings/ThemeLabel.h"
#include "app/views/theme/Theme.h"
#include "platform/MainThread.h"

#include <QHBoxLayout>

SettingsRow::SettingsRow(const QString& title, QWidget* control, const Appearance& appearance,
                         QWidget* parent)
    : QWidget(parent)
    , m_title(new ThemeLabel(title, Theme::textPrimary(), titleSize, QFont::Normal, appearance))
    , m_control(control)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    setFixedHeight(height);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->setSpacing(0);
    row->addWidget(m_title, 0, Qt::AlignVCenter);
    row->addSpacing(minimumGap);
    row->addStretch();
    row->addWidget(control, 0, Qt::AlignVCenter);
}
