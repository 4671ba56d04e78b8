#pragma once
// Frames whose size has been checked against kMaxPixels before their buffer exists.

#include <cstdint>
#include <optional>

#include "image/image.h"

namespace varnelle::image {

// The most pixels one decoded picture, and the decoders' memory, are sized by.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// Fuzzing hunts faults, not the seconds a legitimately huge picture takes under the sanitizers:
// a 140-byte run-length BMP may rightly ask for 100 million pixels.
inline constexpr std::uint64_t kPixelLimit = 4 * 1024 * 1024;
#else
inline constexpr std::uint64_t kPixelLimit = kMaxPixels;
#endif

// True when width x height is a picture we agree to hold: both positive and at most kPixelLimit.
bool size_allowed(std::int64_t width, std::int64_t height);

// A fully transparent frame, or nothing when the size is not allowed.
std::optional<Frame> make_frame(std::int64_t width, std::int64_t height);

// An Image of one frame whose size is the picture's own.
Image single_frame_image(Frame frame);

}  // namespace varnelle::image
