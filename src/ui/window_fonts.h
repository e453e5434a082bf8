// The window's fonts, by pixel height and weight.
#pragma once

#include "platform/forms.h"

// MS Sans Serif 8, 10 and 12 pt: the bitmap sizes of cell height 13, 16 and 20 pixels.
inline const platform::TFontSpec kWindowFont{"MS Sans Serif", 11, false, 13};
inline const platform::TFontSpec kIdentityFont{"MS Sans Serif", 13, false, 16};
inline const platform::TFontSpec kSwitchFont{"MS Sans Serif", 16, false, 20};
inline const platform::TFontSpec kPositionFont{"Arial", 32, true};
inline const platform::TFontSpec kMeasurementFont{"Arial Narrow", 19, false, 0, true};
inline const platform::TFontSpec kIndicatorFont{"Tahoma", 11, false};
// The first row of the status group.
inline const platform::TFontSpec kIndicatorBoldFont{"Tahoma", 12, true};
