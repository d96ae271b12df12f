// The number reader and writer: any text either reads as a finite number or as none,
// and a finite number written and read again comes back to 15 significant digits.

#include "FuzzSupport.h"
#include "core/NumberText.h"

#include <cfloat>
#include <cmath>
#include <cstring>

using namespace calvane;

namespace {

void roundTrip(double value, char separator)
{
    const std::string written = formatNumber(value, separator);
    const auto back = readNumber(written, separator);
    FUZZ_CHECK(back.has_value());
    // The text is the value rounded to 15 significant digits: off by at most half a
    // unit in the 15th digit, plus the reader's own rounding to a double.
    const double tolerance = 5.2e-15 * std::fabs(value) + DBL_TRUE_MIN;
    FUZZ_CHECK(std::fabs(*back - value) <= tolerance);
    // A double holds 15 decimal digits, so the text itself comes back unchanged
    // (below DBL_MIN fewer digits survive).
    if (std::fabs(value) >= DBL_MIN)
        FUZZ_CHECK(formatNumber(*back, separator) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    for (const char separator : {'.', ','}) {
        if (const auto value = readNumber(text, separator)) {
            FUZZ_CHECK(std::isfinite(*value));
            FUZZ_CHECK(readNumberOr0(text, separator) == *value);
            roundTrip(*value, separator);
        } else {
            FUZZ_CHECK(readNumberOr0(text, separator) == 0);
        }
    }
    if (const auto whole = readWholeNumber(text))
        FUZZ_CHECK(readNumber(text, '.') == static_cast<double>(*whole));

    // The bytes themselves as a double: every finite one survives the round trip.
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            roundTrip(value, '.');
            roundTrip(value, ',');
        }
    }
    return 0;
}
