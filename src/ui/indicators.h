// The indicator convention: what each panel colour means.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/colors.h"
#include "platform/forms.h"

class TMainForm;

// A group of indicators keeps this colour until it is first updated.
inline constexpr platform::TColor kIndicatorNotYet = platform::clSilver;
// A flag that is off.
inline constexpr platform::TColor kIndicatorOff = platform::clGray;
// Flags that are on.
inline constexpr platform::TColor kIndicatorError = platform::clRed;
inline constexpr platform::TColor kIndicatorWarning = platform::clOrange;
inline constexpr platform::TColor kIndicatorMultiturnError = platform::clLightRed;
inline constexpr platform::TColor kIndicatorGood = platform::clLime;
inline constexpr platform::TColor kIndicatorFinished = platform::clGreen;

// The position panels, and the degrees panel while the position is in error.
inline constexpr platform::TColor kPositionPanel = platform::clWhite;
inline constexpr platform::TColor kPositionInError = platform::clLightRed;

// The header label: before the first identification, after one, after the port is closed.
inline constexpr platform::TColor kHeaderNotYet = platform::clWhite;
inline constexpr platform::TColor kHeaderIdentified = platform::clLime;
inline constexpr platform::TColor kHeaderDisconnected = platform::clBtnFace;

// An indicator's colour for its flag.
constexpr platform::TColor Indicator(bool on, platform::TColor onColour) {
  return on ? onColour : kIndicatorOff;
}

// The communication blinker: yellow becomes blue, any other colour yellow.
constexpr platform::TColor NextBlinkerColour(platform::TColor current) {
  return current == platform::clYellow ? platform::clBlue : platform::clYellow;
}

// A flag of a status word: its bit, its panel and the panel's colour while it is set.
struct FlagPanel {
  uint16_t mask;
  platform::TPanel* TMainForm::*panel;
  platform::TColor on;
};
// The status word's bits, in the order they are set.
extern const std::array<FlagPanel, 14> kStatusBits;
// The self-calibration status byte's flags.
extern const std::array<FlagPanel, 5> kSelfCalBits;

// Colours each panel of `flags` on `form` for `word`: its colour when its bit is set, else grey.
void ShowFlags(TMainForm& form, std::span<const FlagPanel> flags, uint16_t word);
