#pragma once
// Colours as the windows state them: 0x00BBGGRR for plain RGB values, and two
// named system colours that each user interface maps to its own palette.

#include <cstdint>

namespace calvane {

using Colour = std::uint32_t;

constexpr Colour rgb(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr unsigned redOf(Colour c) { return c & 0xFF; }
constexpr unsigned greenOf(Colour c) { return (c >> 8) & 0xFF; }
constexpr unsigned blueOf(Colour c) { return (c >> 16) & 0xFF; }

namespace colours {
constexpr Colour windowBackground = 0x80000005;  // the normal background of a text field
constexpr Colour faceColour = 0x8000000F;        // the window's own face colour
constexpr Colour red = rgb(255, 0, 0);
constexpr Colour aqua = rgb(0, 255, 255);
constexpr Colour band = rgb(206, 250, 253);  // every third grid row
}  // namespace colours

constexpr bool isSystemColour(Colour c) { return (c & 0xFF000000u) == 0x80000000u; }

}  // namespace calvane
