#pragma once

// What the desktop's accessibility settings ask of every program.
struct AccessibilitySettings
{
    bool reduceMotion = false;
    bool invertColors = false;

    friend bool operator==(const AccessibilitySettings&, const AccessibilitySettings&) = default;
};
