#pragma once
// The Ceres settings every standard fit shares: a dense QR step, tolerances tight
// enough that a converged fit agrees with the reference tools to the last printed
// digit, no logging and one thread (the batch runs curves in parallel instead).
// The fits differ only in how many iterations they allow and how small a step ends
// them. Every solve stops at the next iteration once a FitCancelScope says so.

#include "fit/FitCancel.h"

#include <ceres/iteration_callback.h>
#include <ceres/solver.h>

namespace calvane {

namespace detail {
class CancelCallback : public ceres::IterationCallback {
public:
    ceres::CallbackReturnType operator()(const ceres::IterationSummary&) override
    {
        return fitCancelRequested() ? ceres::SOLVER_ABORT : ceres::SOLVER_CONTINUE;
    }
};
inline CancelCallback cancelCallback;
}  // namespace detail

inline ceres::Solver::Options quietSolverOptions(int maxIterations, double parameterTolerance)
{
    ceres::Solver::Options options;
    options.linear_solver_type = ceres::DENSE_QR;
    options.max_num_iterations = maxIterations;
    options.function_tolerance = 1e-15;
    options.gradient_tolerance = 1e-15;
    options.parameter_tolerance = parameterTolerance;
    options.logging_type = ceres::SILENT;
    options.num_threads = 1;
    options.callbacks.push_back(&detail::cancelCallback);
    return options;
}

}  // namespace calvane
