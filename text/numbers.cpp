// Integer and bit operations with 32-bit wrap-around, free of signed-overflow traps.

#include <cmath>
#include <cstdint>

#include "text/text.h"

namespace varnelle {

double modulo(double a, double b) { return std::fmod(a, b); }

int bit_and(int a, int b) { return a & b; }

int shift_left(int v, int n) {
  return static_cast<int>(static_cast<std::uint32_t>(v) << (static_cast<unsigned>(n) & 31u));
}

int shift_right(int v, int n) { return v >> (static_cast<unsigned>(n) & 31u); }

}  // namespace varnelle
