// The angle dial's geometry.
#pragma once

#include <cstdint>

struct DialPoint {
  int16_t x;
  int16_t y;
};

// Where the needle of a dial `width` pixels wide ends for `kot` degrees. The needle starts at
// the centre (r, r), r = width / 2; the scale runs counter-clockwise from 0 at the top, and the
// angle uses the factor 3.14, not pi.
DialPoint NeedleEnd(float kot, int width);
