#pragma once

#include "app/notes/Hue.h"

#include <QPixmap>

// The images of the new-note colour list, drawn at the device pixel ratio given.
namespace HueImages {

inline constexpr QSize swatchSize{11, 11};
inline constexpr QSize rotateSize{21, 11};

// A disc in the hue's accent colour; white is a white disc with a grey ring.
QPixmap swatchImage(Hue hue, qreal devicePixelRatio);
// Three overlapping discs, sand, mint and sky, each ringed in white; made once per pixel
// ratio and shared.
QPixmap rotateImage(qreal devicePixelRatio);

} // namespace HueImages
