#pragma once
// The worker pool of a many-curve run: curves run in parallel, each on one worker, while
// their outcomes come back on the calling thread in input order.

#include "batch/BatchRun.h"
#include "batch/Progress.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace calvane::batch {

// Runs `work(i, searchThreads)` for every curve i (labelled `labels[i]`) on a pool of
// workers and hands each outcome to `deliver` on this thread, in input order, as soon as
// it and every one before it are done. `searchThreads` is the share of the machine
// each curve's light-response search may take. Progress goes to `progress` and to
// `settings.onProgress`; after `settings.cancel` no further curve starts.
void runPool(const std::vector<std::string>& labels, const RunSettings& settings, ProgressLine& progress,
             const std::function<CurveOutcome(std::size_t, unsigned)>& work,
             const std::function<void(std::size_t, CurveOutcome&)>& deliver);

}  // namespace calvane::batch
