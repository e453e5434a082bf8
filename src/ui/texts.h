// Texts the window shows for missing values.
#pragma once

// In the position panels while the encoder reports a position error (two blanks between dashes).
inline constexpr const char* kNoPositionText = "-  -  -  -  -";
// In the counts panel and the measurement labels while no port is open (one blank).
inline constexpr const char* kNoValueText = "- - - - -";
inline constexpr const char* kNotConnectedText = "not connected";
