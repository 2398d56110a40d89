#pragma once

#include "app/views/overlays/PopupCard.h"

#include <vector>

class ColorPickerDot;
class NoteStore;
class PopoverController;

// The pill of eight colour dots with which the current note is recoloured. A click on a dot
// hands its hue to the controller, which closes the pill and then recolours the note.
class ColorPickerView : public PopupCard
{
    Q_OBJECT

public:
    static constexpr int dotSpacing = 7;
    static constexpr QMargins padding{8, 6, 8, 6};
    // 8 dots of 18 with 7 between them, padded: 209 x 30.
    static QSize pillSize();

    ColorPickerView(PopoverController& controller, NoteStore& store, const Appearance& appearance,
                    QWidget* parent = nullptr);

    const std::vector<ColorPickerDot*>& dots() const { return m_dots; }

private:
    void showCurrentHue();

    NoteStore& m_store;
    std::vector<ColorPickerDot*> m_dots;
};
