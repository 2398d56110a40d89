#pragma once

#include "app/views/settings/ThemeLabel.h"

// The small upper-case heading above a group of settings rows.
class SectionLabel : public ThemeLabel
{
    Q_OBJECT

public:
    static constexpr int fontSize = 11;
    static constexpr qreal tracking = 0.4;
    static constexpr QMargins padding{2, 12, 0, 6};

    SectionLabel(const QString& text, const Appearance& appearance, QWidget* parent = nullptr);
};
