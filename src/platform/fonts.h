// The fonts the window names, where this system has them under other names or files.
#pragma once

#include <string>

namespace platform {

// Loads Wine's Tahoma and MS Sans Serif where installed and maps Arial and Arial Narrow to
// their metric twins; missing fonts fall back to a sans-serif face of the same pixel height.
// Safe to call more than once.
void PrepareFonts();

// The family actually drawn for `name` (after PrepareFonts).
std::string DrawnFamily(const std::string& name, int pixelHeight, bool bold);

}  // namespace platform
