#pragma once

#include "image/image.h"

namespace varnelle::image {

// Resizes a frame to width x height by averaging the source area each target pixel covers: a
// box filter, which is what a large reduction needs to stay free of aliasing. Colours are
// weighted by alpha, so transparent pixels do not darken the edges next to them.
Frame shrink_frame(const Frame& source, int width, int height);

}  // namespace varnelle::image
