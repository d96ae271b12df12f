#pragma once
// The light-response window's plausibility checks: Par Abs, the observed points, the
// light saturation point of its own fit and the two standard fits, as they stand.

#include <string>
#include <vector>

namespace calvane {

class TfrmAQ_C3_Curve;

std::vector<std::string> aqPlausibilityChecks(const TfrmAQ_C3_Curve& window);

}  // namespace calvane
