#include "fit/AqStandardFit.h"

// Ceres and Eigen stay in this translation unit and in AciStandardFit.cpp: they are
// heavy to compile, and nothing outside fit/ needs them.
#include "fit/ProfileInterval.h"
#include "fit/SolverOptions.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>

namespace calvane {

namespace {

using Points = std::vector<std::pair<double, double>>;
using Parameters = std::array<double, 4>;
using Flags = std::array<bool, 4>;

// --- The two curves, for doubles and for Ceres's automatic derivatives ------------------

double valueOf(double v) { return v; }
template <typename J>
double valueOf(const J& jet)
{
    return jet.a;
}

// Calvane's model, written so that it neither overflows nor cancels: with
// t = AQE x / Amax, (1 + t^theta)^(1/theta) is taken through log1p, and above t = 1
// the rise is Amax / (1 + t^-theta)^(1/theta), the same value. A negative t (a
// negative light) follows the model's own power: a value only for an integral
// convexity, otherwise the whole A is 0, as Calvane's fit sees it.
struct CalvaneCurve {
    template <typename T>
    static T at(double x, const T& aqe, const T& amax, const T& theta, const T& a0)
    {
        using std::exp;
        using std::log;
        using std::log1p;
        using std::pow;
        const T s = aqe * x;
        const T t = s / amax;
        const double tv = valueOf(t);
        if (tv == 0)
            return a0 + s;  // t^theta = 0 for theta > 0
        if (tv > 0) {
            const T logT = log(t);
            if (tv <= 1)
                return a0 + s * exp(-log1p(exp(theta * logT)) / theta);
            return a0 + amax * exp(-log1p(exp(-theta * logT)) / theta);
        }
        const double thetaValue = valueOf(theta);
        if (std::trunc(thetaValue) != thetaValue || !std::isfinite(tv))
            return T(0.0);
        const T base = 1.0 + pow(t, thetaValue);
        const double inverse = 1 / thetaValue;
        const double bv = valueOf(base);
        if (bv == 0 || (std::trunc(inverse) != inverse && bv < 0))
            return T(0.0);
        const T denominator = pow(base, inverse);
        if (!(std::abs(valueOf(denominator)) > 0) || !std::isfinite(valueOf(denominator)))
            return T(0.0);
        return a0 + s / denominator;
    }
};

// The non-rectangular hyperbola. Its smaller root is taken as 2P / (S + root), which
// does not cancel and is the rectangular hyperbola phi x Amax / (phi x + Amax) at
// theta = 0 exactly.
struct HyperbolaCurve {
    template <typename T>
    static T at(double x, const T& phi, const T& amax, const T& theta, const T& rd)
    {
        using std::sqrt;
        const T q = phi * x;
        const T s = q + amax;
        const T p = q * amax;
        const T discriminant = s * s - 4.0 * theta * p;
        // theta = 1 and phi x = Amax give a root of 0, where sqrt has no derivative.
        const T root = discriminant > 0.0 ? sqrt(discriminant) : T(0.0);
        T gross;
        if (s > 0.0)
            gross = 2.0 * p / (s + root);
        else if (theta > 0.0)
            gross = (s - root) / (2.0 * theta);
        else if (s < 0.0)
            gross = p / s;
        else
            gross = q;
        return gross - rd;
    }
};

// --- Solving ---------------------------------------------------------------------------------

template <typename Curve>
struct PointResidual {
    double x, y;
    template <typename T>
    bool operator()(const T* const p0, const T* const p1, const T* const p2, const T* const p3, T* residual) const
    {
        residual[0] = Curve::at(x, p0[0], p1[0], p2[0], p3[0]) - y;
        return true;
    }
};

template <typename Curve>
ceres::CostFunction* residualFor(double x, double y)
{
    return new ceres::AutoDiffCostFunction<PointResidual<Curve>, 1, 1, 1, 1, 1>(new PointResidual<Curve>{x, y});
}

// The box a free parameter is searched in.
struct Box {
    Parameters lower, upper;
};

// One scalar block per parameter, so that a fixed one is simply held constant.
template <typename Curve>
struct Fitting {
    Parameters p;
    ceres::Problem problem;

    Fitting(const Points& points, const Parameters& start, const Flags& fixed, const Box& box) : p(start)
    {
        for (const auto& [x, y] : points)
            problem.AddResidualBlock(residualFor<Curve>(x, y), nullptr, &p[0], &p[1], &p[2], &p[3]);
        for (int k = 0; k < 4; ++k) {
            if (fixed[k]) {
                problem.SetParameterBlockConstant(&p[k]);
                continue;
            }
            if (std::isfinite(box.lower[k]))
                problem.SetParameterLowerBound(&p[k], 0, box.lower[k]);
            if (std::isfinite(box.upper[k]))
                problem.SetParameterUpperBound(&p[k], 0, box.upper[k]);
        }
    }
};

ceres::Solver::Options solverOptions() { return quietSolverOptions(400, 1e-14); }

template <typename Curve>
double sumOfSquares(const Points& points, const Parameters& p)
{
    double sse = 0;
    for (const auto& [x, y] : points) {
        const double r = Curve::at(x, p[0], p[1], p[2], p[3]) - y;
        sse += r * r;
    }
    return sse;
}

bool onBound(double value, double bound)
{
    return std::isfinite(bound) && std::abs(value - bound) <= 1e-6 * std::max(1.0, std::abs(bound));
}

struct Optimum {
    Parameters p{};
    double sse = std::numeric_limits<double>::infinity();
    int starts = 0;
    int converged = 0;
};

// Solves from every start and keeps the smallest sum of squares. A run that stopped
// on its iteration limit still counts: on a curve without saturation the optimum lies
// at a bound or far out, where the last steps are slow but the point reached is good.
template <typename Curve>
Optimum solveFromStarts(const Points& points, const std::vector<Parameters>& starts, const Flags& fixed, const Box& box,
                        const ceres::Solver::Options& options = solverOptions())
{
    Optimum best;
    best.starts = static_cast<int>(starts.size());
    for (const auto& start : starts) {
        Fitting<Curve> fitting(points, start, fixed, box);
        ceres::Solver::Summary summary;
        ceres::Solve(options, &fitting.problem, &summary);
        if (summary.termination_type == ceres::FAILURE)
            continue;
        const double sse = sumOfSquares<Curve>(points, fitting.p);
        if (!std::isfinite(sse))
            continue;
        ++best.converged;
        if (sse < best.sse) {
            best.sse = sse;
            best.p = fitting.p;
        }
    }
    if (!std::isfinite(best.sse))
        return best;
    // Ceres keeps a bound by projecting its steps onto the box, which can stall the
    // other parameters once one of them rests on the bound. The optimum on that face
    // is an unbounded problem in the others: solved again with the bound parameters
    // held, it finishes what the projection left.
    Flags held = fixed;
    bool onFace = false;
    for (int k = 0; k < 4; ++k) {
        if (!fixed[k] && (onBound(best.p[k], box.lower[k]) || onBound(best.p[k], box.upper[k]))) {
            held[k] = true;
            onFace = true;
        }
    }
    if (onFace) {
        Fitting<Curve> fitting(points, best.p, held, box);
        ceres::Solver::Summary summary;
        ceres::Solve(options, &fitting.problem, &summary);
        const double sse = sumOfSquares<Curve>(points, fitting.p);
        if (summary.termination_type != ceres::FAILURE && sse < best.sse) {
            best.sse = sse;
            best.p = fitting.p;
        }
    }
    return best;
}

// --- Standard errors --------------------------------------------------------------------------

struct Covariance {
    // The standard errors of the parameters it covers; none for the others.
    std::array<std::optional<double>, 4> standardErrors;
    // The parameter the points leave undetermined, when J'J is singular.
    std::optional<int> undetermined;
};

// (J'J)^-1 over the parameters in `covered`, scaled by the residual variance. Each
// column of J is brought to unit length first, so that the condition check sees a
// real dependence between parameters and not the parameters' units.
template <typename Curve>
Covariance covarianceAt(const Points& points, const Parameters& p, const Flags& covered, int freeParameters, double sse)
{
    Covariance result;
    std::vector<int> columns;
    for (int k = 0; k < 4; ++k) {
        if (covered[k])
            columns.push_back(k);
    }
    if (columns.empty())
        return result;
    const int n = static_cast<int>(points.size());
    Eigen::MatrixXd jacobian(n, static_cast<int>(columns.size()));
    for (int row = 0; row < n; ++row) {
        const auto cost = std::unique_ptr<ceres::CostFunction>(residualFor<Curve>(points[row].first, 0));
        const double* values[] = {&p[0], &p[1], &p[2], &p[3]};
        double residual = 0;
        std::array<double, 4> derivative{};
        double* blocks[] = {&derivative[0], &derivative[1], &derivative[2], &derivative[3]};
        if (!cost->Evaluate(values, &residual, blocks))
            return result;
        for (std::size_t c = 0; c < columns.size(); ++c)
            jacobian(row, static_cast<int>(c)) = derivative[columns[c]];
    }
    if (!jacobian.allFinite())
        return result;
    const Eigen::VectorXd norms = jacobian.colwise().norm();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!(norms(static_cast<int>(c)) > 0)) {
            result.undetermined = columns[c];
            return result;
        }
    }
    const Eigen::MatrixXd scaled = jacobian * norms.cwiseInverse().asDiagonal();
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(scaled.transpose() * scaled);
    if (eigen.info() != Eigen::Success)
        return result;
    const double largest = eigen.eigenvalues().maxCoeff();
    const double smallest = eigen.eigenvalues().minCoeff();
    if (!(smallest > 1e-12 * largest)) {
        Eigen::Index weakest = 0;
        eigen.eigenvectors().col(0).cwiseAbs().maxCoeff(&weakest);
        result.undetermined = columns[static_cast<std::size_t>(weakest)];
        return result;
    }
    const Eigen::MatrixXd inverse = eigen.eigenvectors() * eigen.eigenvalues().cwiseInverse().asDiagonal() *
                                    eigen.eigenvectors().transpose();
    const double residualVariance = sse / (n - freeParameters);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int i = static_cast<int>(c);
        const double variance = inverse(i, i) / (norms(i) * norms(i));
        result.standardErrors[columns[c]] = std::sqrt(std::max(variance, 0.0) * residualVariance);
    }
    return result;
}

// --- Starting points -------------------------------------------------------------------------

struct CurveShape {
    double intercept = 0;  // A at x = 0 by the initial slope
    double slope = 0.05;   // initial slope, positive
    double largestA = 0;
    double largestMagnitude = 0;  // largest |A|
};

// The initial slope and intercept from the three lowest lights, and the top of the
// curve: enough to start both models near a sensible shape.
CurveShape shapeOf(Points points)
{
    std::sort(points.begin(), points.end());
    CurveShape shape;
    shape.largestA = -std::numeric_limits<double>::infinity();
    for (const auto& [x, y] : points) {
        shape.largestA = std::max(shape.largestA, y);
        shape.largestMagnitude = std::max(shape.largestMagnitude, std::abs(y));
    }
    const std::size_t m = std::min<std::size_t>(3, points.size());
    const auto count = static_cast<double>(m);
    double mx = 0, my = 0;
    for (std::size_t i = 0; i < m; ++i) {
        mx += points[i].first / count;
        my += points[i].second / count;
    }
    double sxx = 0, sxy = 0;
    for (std::size_t i = 0; i < m; ++i) {
        sxx += (points[i].first - mx) * (points[i].first - mx);
        sxy += (points[i].first - mx) * (points[i].second - my);
    }
    const double slope = sxx > 0 ? sxy / sxx : 0;
    if (slope > 0 && std::isfinite(slope)) {
        shape.slope = slope;
        shape.intercept = my - slope * mx;
    } else {
        shape.intercept = points.front().second;
        const double span = points.back().first - points.front().first;
        if (span > 0 && shape.largestA > shape.intercept)
            shape.slope = 2 * (shape.largestA - shape.intercept) / span;
    }
    if (!std::isfinite(shape.intercept))
        shape.intercept = 0;
    return shape;
}

// An Amax the search never needs to pass: far above any measured rate.
double amaxCeiling(const CurveShape& shape) { return 1e6 * (shape.largestMagnitude + 1); }

constexpr double slopeCeiling = 100;  // umol CO2 per umol photons, far above any leaf
constexpr double smallestAmax = 1e-6;
constexpr double smallestConvexity = 1e-4;
constexpr double largestConvexity = 1e4;
// An Amax this many times the largest measured |A| is not a saturation the points show.
constexpr double farBeyondData = 10;

Parameters clampToBox(Parameters p, const Flags& fixed, const Box& box)
{
    for (int k = 0; k < 4; ++k) {
        if (!fixed[k])
            p[k] = std::clamp(p[k], box.lower[k], box.upper[k]);
    }
    return p;
}

// As "%g" writes it, with '.' whatever the C library's locale.
std::string shortNumber(double value)
{
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    return std::string(text, written.ptr);
}

// The summary, estimates, bound flags and standard errors at the best optimum, and the
// notes that say when it is not a clean fit. `names` in parameter order.
template <typename Curve, typename Result>
void describe(Result& result, const Points& points, const Optimum& best, const Flags& fixed, const Box& box,
              const std::array<AqFitEstimate*, 4>& estimates, const std::array<const char*, 4>& names,
              const CurveShape& shape, int amaxIndex)
{
    result.sse = best.sse;
    result.rmse = std::sqrt(best.sse / result.points);
    result.starts = best.starts;
    result.convergedStarts = best.converged;

    std::vector<std::string> notes;
    Flags covered{};
    for (int k = 0; k < 4; ++k) {
        AqFitEstimate& e = *estimates[k];
        e.value = best.p[k];
        e.fixed = fixed[k];
        e.atBound = !fixed[k] && (onBound(best.p[k], box.lower[k]) || onBound(best.p[k], box.upper[k]));
        covered[k] = !fixed[k] && !e.atBound;
        if (e.atBound) {
            const bool low = onBound(best.p[k], box.lower[k]);
            const std::string name = names[k];
            if (name == "Theta")  // the hyperbola's own range, not a search limit
                notes.push_back(low ? "Theta is at its limit 0 (the points bend more gradually than a rectangular "
                                      "hyperbola)"
                                    : "Theta is at its limit 1 (a sharp corner)");
            else
                notes.push_back(name + " ran to the bound " + shortNumber(low ? box.lower[k] : box.upper[k]) +
                                " of its search");
        }
    }
    if (!fixed[amaxIndex] && !estimates[amaxIndex]->atBound &&
        best.p[amaxIndex] > farBeyondData * std::max(shape.largestMagnitude, 1e-9))
        notes.push_back(std::string(names[amaxIndex]) + " is far above every measured rate");
    const Covariance covariance = covarianceAt<Curve>(points, best.p, covered, result.freeParameters, best.sse);
    for (int k = 0; k < 4; ++k)
        estimates[k]->standardError = covariance.standardErrors[k];
    if (covariance.undetermined)
        notes.push_back("these points do not determine " + std::string(names[*covariance.undetermined]) +
                        ", so there are no standard errors");

    result.fitted = true;
    result.wellDefined = notes.empty();
    if (notes.empty()) {
        result.message = "Fitted to " + std::to_string(result.points) + " points; optimum reached from " +
                         std::to_string(best.converged) + " of " + std::to_string(best.starts) + " starts";
        return;
    }
    std::string joined;
    for (const auto& note : notes)
        joined += (joined.empty() ? "" : "; ") + note;
    result.message = "Ill-defined optimum: " + joined;
}

// --- Profile intervals ------------------------------------------------------------------------

// The box the profiles search: each estimate is stepped within its own range and the
// others are refitted within theirs. Rates stay within reach of the data (Amax up to
// 20 times the largest A plus 50, a respiration or intercept within plus or minus
// twice it plus 10), slopes and curvatures within what a leaf can have; a profile
// still below its bound there does not close.
Box profileBox(const CurveShape& shape, double largestCurvature)
{
    const double top = std::max(shape.largestA, 0.0);
    const double rate = 2 * top + 10;
    return {{1e-6, 1e-6, 1e-6, -rate}, {1, 20 * top + 50, largestCurvature, rate}};
}

// S(v): the sum of squares with parameter k held at v and the other free ones refitted,
// from the last step's parameters; where that ends above the threshold, from the
// optimum too, so that a step never leaves the interval for a poor start alone.
// `warm` follows the better.
// A profile's refits need S only well enough to place an end within a small part of
// the interval's width.
ceres::Solver::Options profileOptions()
{
    auto options = quietSolverOptions(200, 1e-10);
    options.function_tolerance = 1e-12;
    return options;
}

template <typename Curve>
double profileSse(const Points& points, const Parameters& optimum, Parameters& warm, Flags fixed, const Box& box, int k,
                  double v, double threshold)
{
    fixed[k] = true;
    double sse = std::numeric_limits<double>::infinity();
    for (const Parameters& from : {warm, optimum}) {
        Parameters start = clampToBox(from, fixed, box);
        start[k] = v;
        const Optimum found = solveFromStarts<Curve>(points, {start}, fixed, box, profileOptions());
        if (found.sse < sse) {
            sse = found.sse;
            warm = found.p;
        }
        if (sse <= threshold || std::all_of(fixed.begin(), fixed.end(), [](bool f) { return f; }))
            break;
    }
    return sse;
}

// The 95 % interval of every free estimate of a fit whose optimum is `p`.
template <typename Curve>
void addIntervals(const Points& points, const Parameters& p, double sse, int freeParameters, const Flags& fixed,
                  const Box& box, const std::array<AqFitEstimate*, 4>& estimates)
{
    if (static_cast<int>(points.size()) <= freeParameters)
        return;
    const double threshold = profileThreshold(sse, static_cast<int>(points.size()), freeParameters);
    for (int k = 0; k < 4; ++k) {
        if (fixed[k] || fitCancelRequested())
            continue;
        AqFitEstimate& e = *estimates[k];
        const double estimate = std::clamp(p[k], box.lower[k], box.upper[k]);
        Parameters warm = p;
        auto profile = [&](double v) { return profileSse<Curve>(points, p, warm, fixed, box, k, v, threshold); };
        const double step = e.standardError && *e.standardError > 0 ? *e.standardError
                                                                    : 0.1 * std::abs(estimate) + 1e-3;
        e.interval = profileInterval(profile, estimate, step, box.lower[k], box.upper[k], threshold);
    }
}

void quietSolverLog()
{
    // A failed solve also goes to the standard error stream; here every failure
    // reaches the user through the result's message instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] { FLAGS_minloglevel = google::GLOG_FATAL; });
}

// The checks both fits share; an empty text when the points can be fitted.
std::string pointsProblem(const Points& points, int freeParameters)
{
    for (const auto& [x, y] : points) {
        if (!std::isfinite(x) || !std::isfinite(y))
            return "a point's Qa or A is not a finite number";
    }
    if (static_cast<int>(points.size()) <= freeParameters)
        return std::to_string(points.size()) + (points.size() == 1 ? " point for " : " points for ") +
               std::to_string(freeParameters) + " free parameters; at least " + std::to_string(freeParameters + 1) +
               " are needed";
    return {};
}

}  // namespace

double aqCalvaneResponse(double x, double aqe, double amax, double convexity, double a0)
{
    return CalvaneCurve::at(x, aqe, amax, convexity, a0);
}

double aqHyperbolaResponse(double x, double phi, double amax, double theta, double rd)
{
    return HyperbolaCurve::at(x, phi, amax, theta, rd);
}

AqCalvaneOptimum fitAqCalvaneOptimum(const Points& points, const AqCalvaneStart& start)
{
    quietSolverLog();
    AqCalvaneOptimum result;
    result.points = static_cast<int>(points.size());
    // Parameter order: AQE, Amax, Convexity, A0.
    const Flags fixed{start.aqeFixed, start.amaxFixed, start.convexityFixed, start.a0Fixed};
    const Parameters fields{start.aqe, start.amax, start.convexity, start.a0};
    result.freeParameters = static_cast<int>(std::count(fixed.begin(), fixed.end(), false));

    auto refuse = [&result](const std::string& why) {
        result.message = "Cannot fit: " + why;
        return result;
    };
    for (int k = 0; k < 4; ++k) {
        if (fixed[k] && !std::isfinite(fields[k]))
            return refuse("a fixed parameter is not a finite number");
    }
    if (start.aqeFixed && start.aqe < 0)
        return refuse("a fixed AQE must not be negative");
    if (start.amaxFixed && !(start.amax > 0))
        return refuse("a fixed Amax must be above 0");
    if (start.convexityFixed && !(start.convexity > 0))
        return refuse("a fixed Convexity must be above 0");
    if (const auto problem = pointsProblem(points, result.freeParameters); !problem.empty())
        return refuse(problem);

    const CurveShape shape = shapeOf(points);
    const double inf = std::numeric_limits<double>::infinity();
    const Box box{{0, smallestAmax, smallestConvexity, -inf},
                  {slopeCeiling, amaxCeiling(shape), largestConvexity, inf}};

    std::vector<Parameters> starts;
    Parameters fromFields = fields;
    for (double& v : fromFields) {
        if (!std::isfinite(v))
            v = 0;
    }
    starts.push_back(clampToBox(fromFields, fixed, box));
    const double amax0 = std::max(shape.largestA - shape.intercept, 0.1 * shape.largestMagnitude + 1e-3);
    for (double slopeFactor : {1.0, 0.3}) {
        for (double convexity : {0.5, 1.0, 2.0, 4.0, 10.0, 40.0}) {
            // The slower start also looks far out, where a curve without saturation
            // finds its optimum.
            Parameters p{shape.slope * slopeFactor, slopeFactor < 1 ? 30 * amax0 : amax0, convexity, shape.intercept};
            for (int k = 0; k < 4; ++k) {
                if (fixed[k])
                    p[k] = fields[k];
            }
            starts.push_back(clampToBox(p, fixed, box));
        }
    }
    if (result.freeParameters == 0)
        starts.resize(1);

    const Optimum best = solveFromStarts<CalvaneCurve>(points, starts, fixed, box);
    if (!std::isfinite(best.sse))
        return refuse("the solver found no usable optimum from any of " + std::to_string(starts.size()) + " starts");
    describe<CalvaneCurve>(result, points, best, fixed, box, {&result.aqe, &result.amax, &result.convexity, &result.a0},
                           {"AQE", "Amax", "Convexity", "Respiration"}, shape, 1);
    if (start.profileIntervals)
        addIntervals<CalvaneCurve>(points, best.p, best.sse, result.freeParameters, fixed,
                                   profileBox(shape, largestConvexity),
                                   {&result.aqe, &result.amax, &result.convexity, &result.a0});
    return result;
}

AqHyperbolaFit fitAqHyperbola(const Points& points, const AqHyperbolaSettings& settings)
{
    quietSolverLog();
    AqHyperbolaFit result;
    result.points = static_cast<int>(points.size());
    // Parameter order: phi, Amax, theta, Rd.
    const std::array<std::optional<double>, 4> held{settings.phi, settings.amax, settings.theta, settings.rd};
    Flags fixed{};
    for (std::size_t k = 0; k < 4; ++k)
        fixed[k] = held[k].has_value();
    result.freeParameters = static_cast<int>(std::count(fixed.begin(), fixed.end(), false));
    auto refuse = [&result](const std::string& why) {
        result.message = "Cannot fit: " + why;
        return result;
    };
    for (const auto& value : held) {
        if (value && !std::isfinite(*value))
            return refuse("a held value is not a finite number");
    }
    if (settings.phi && *settings.phi < 0)
        return refuse("a held Phi must not be negative");
    if (settings.amax && !(*settings.amax > 0))
        return refuse("a held Amax must be above 0");
    if (settings.theta && !(*settings.theta >= 0 && *settings.theta <= 1))
        return refuse("a held Theta must lie between 0 and 1");
    if (const auto problem = pointsProblem(points, result.freeParameters); !problem.empty())
        return refuse(problem);
    const CurveShape shape = shapeOf(points);
    const double inf = std::numeric_limits<double>::infinity();
    const Box box{{0, smallestAmax, 0, -inf}, {slopeCeiling, amaxCeiling(shape), 1, inf}};

    std::vector<Parameters> starts;
    const double rd = held[3].value_or(-shape.intercept);
    const double amax0 = std::max(shape.largestA + rd, 0.1 * shape.largestMagnitude + 1e-3);
    for (double slopeFactor : {1.0, 0.3}) {
        for (double theta : {0.0, 0.3, 0.6, 0.8, 0.95, 1.0}) {
            Parameters p{shape.slope * slopeFactor, slopeFactor < 1 ? 30 * amax0 : amax0, theta, rd};
            for (std::size_t k = 0; k < 4; ++k) {
                if (held[k])
                    p[k] = *held[k];
            }
            starts.push_back(clampToBox(p, fixed, box));
        }
    }
    if (result.freeParameters == 0)
        starts.resize(1);
    const Optimum best = solveFromStarts<HyperbolaCurve>(points, starts, fixed, box);
    if (!std::isfinite(best.sse))
        return refuse("the solver found no usable optimum from any of " + std::to_string(starts.size()) + " starts");
    describe<HyperbolaCurve>(result, points, best, fixed, box, {&result.phi, &result.amax, &result.theta, &result.rd},
                             {"Phi", "Amax", "Theta", "Rd"}, shape, 1);
    if (settings.profileIntervals)
        addIntervals<HyperbolaCurve>(points, best.p, best.sse, result.freeParameters, fixed, profileBox(shape, 1),
                                     {&result.phi, &result.amax, &result.theta, &result.rd});

    // A = 0 where the gross rate equals Rd: theta Rd^2 - (phi x + Amax) Rd + phi x Amax = 0.
    const double phi = result.phi.value, amax = result.amax.value, theta = result.theta.value;
    if (phi > 0 && amax > result.rd.value) {
        const double x = result.rd.value * (amax - theta * result.rd.value) / (phi * (amax - result.rd.value));
        if (std::isfinite(x))
            result.lightCompensation = x;
    }
    return result;
}

std::optional<double> hyperbolaSaturationPoint(const AqHyperbolaFit& fit, double largestQObs)
{
    if (!(largestQObs > 0) || !fit.fitted)
        return std::nullopt;
    const double h = largestQObs / 500;
    auto a = [&fit](double x) {
        return aqHyperbolaResponse(x, fit.phi.value, fit.amax.value, fit.theta.value, fit.rd.value);
    };
    constexpr double saturationSlope = 0.001;
    for (int i = 0; i <= 5000; ++i) {
        const double x = i * h;
        if (std::abs(a(x + h) - a(x)) / h < saturationSlope)
            return x;
    }
    return 99999;
}

}  // namespace calvane
