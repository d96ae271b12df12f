#pragma once
// The A/Ci window's plausibility checks: the leaf temperature, the measured points,
// the rates of its own analysis and the standard fit, as they stand.

#include <string>
#include <vector>

namespace calvane {

class TfrmACi_Curve;

std::vector<std::string> aciPlausibilityChecks(const TfrmACi_Curve& window);

}  // namespace calvane
