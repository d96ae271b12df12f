#pragma once
// One curve of a run through a fresh window of its own, exactly as a one-file run goes:
// loading, the columns' means, the field options, the commands, the standard fit, then
// the checks, the export, the summary columns and the chart as the window leaves them.

#include "batch/BatchInputs.h"
#include "batch/BatchJob.h"
#include "batch/BatchRun.h"

namespace calvane::batch {

// Runs on any thread: the window is the curve's own. `searchThreads` is what the
// light-response search may use (0 for as many as the machine has).
CurveOutcome runCurve(const BatchJob& job, const Curve& curve, char decimalSeparator, unsigned searchThreads);

}  // namespace calvane::batch
