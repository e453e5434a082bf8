#include "ui/dial.h"

#include <cfenv>
#include <cmath>

#include "ui/main.h"

using namespace platform;

namespace {
// Nearest integer, ties to even, as a 16-bit integer.
int16_t Round16(long double value) {
  std::fesetround(FE_TONEAREST);
  return static_cast<int16_t>(std::llrint(value));
}
}  // namespace

DialPoint NeedleEnd(float kot, int width) {
  const auto r = static_cast<int16_t>(width / 2);
  const long double theta = static_cast<long double>(kot) / 360.0L * 2.0L * 3.14L;
  const int16_t dx = Round16(r * std::sin(theta));
  const int16_t dy = Round16(r * std::cos(theta));
  return {static_cast<int16_t>(r - dx), static_cast<int16_t>(r - dy)};
}

void TMainForm::PaintBoxKotPaint(TObject* /*Sender*/) {
  TCanvas& canvas = *PaintBoxKot->Canvas();
  const int r = PaintBoxKot->Width() / 2;

  canvas.Pen.Width = 1;
  canvas.Pen.Style = psSolid;
  canvas.Pen.Color = clBlack;
  canvas.Arc(0, 0, 2 * r, 2 * r, 0, 0, 1, 0);

  canvas.FontColor = clDarkGray;
  canvas.TextOut(r - 5, 7, "0°");
  canvas.TextOut(7, r - 5, "90°");
  canvas.TextOut(r - 10, 2 * r - 20, "180°");
  canvas.TextOut(2 * r - 27, r - 5, "270°");

  const DialPoint end = NeedleEnd(kot, PaintBoxKot->Width());
  canvas.Pen.Width = 2;
  canvas.Pen.Style = psSolid;
  canvas.Pen.Color = clBlue;
  canvas.MoveTo(r, r);
  canvas.LineTo(end.x, end.y);
}
