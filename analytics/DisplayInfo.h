#pragma once

#include "platform/AccessibilitySettings.h"

#include <Qt>

#include <optional>

// The main screen, the colour scheme, the layout direction and the accessibility settings, as
// the payload reports them: the host application knows them, the client (Qt Core only) cannot
// see them for itself.
struct DisplayInfo
{
    enum class ColorScheme { unknown, light, dark };
    struct Screen
    {
        // The frame, in device-independent pixels.
        double width;
        double height;
        // Device pixels per device-independent pixel.
        double scaleFactor;
    };

    std::optional<Screen> mainScreen;
    ColorScheme colorScheme = ColorScheme::unknown;
    // The application's; none without an application object.
    std::optional<Qt::LayoutDirection> layoutDirection;
    // None when the desktop's settings could not be read.
    std::optional<AccessibilitySettings> accessibility;
};
