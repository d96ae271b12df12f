#include "fit/TemperatureResponse.h"

#include "core/NumberText.h"

// Ceres and Eigen stay in fit/'s translation units: heavy to compile, and nothing
// outside fit/ needs them.
#include "fit/SolverOptions.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <set>

namespace calvane {

namespace {

using Points = std::vector<std::pair<double, double>>;
// The solver's parameters: k25, Ea in kJ mol-1 and dS in J mol-1 K-1. Ea in kJ keeps
// its steps of the same order as dS's, which the peaked model needs: the two are
// strongly correlated, and a step in J would be a million times smaller than dS's.
using Parameters = std::array<double, 3>;

constexpr double gasConstant = 8.314;  // J mol-1 K-1
constexpr double kelvinAt0C = 273.15;
constexpr double kelvinAt25C = 298.15;
constexpr double joulesPerKJ = 1000;

int parameterCount(TemperatureModel model) { return model == TemperatureModel::Peaked ? 3 : 2; }

// ln(1 + e^z) without overflow for a large z.
template <typename T>
T softplus(const T& z)
{
    using std::exp;
    using std::log1p;
    if (z > 0.0)
        return z + log1p(exp(-z));
    return log1p(exp(z));
}

// The ratio k(T) / k25 for a leaf temperature in kelvin, taken through its logarithm so
// that no exponential overflows on the way. `p` holds Ea (kJ) and, for the peaked
// model, dS.
template <typename T>
T logRelativeRate(double kelvin, const T& eaKJ, const T* ds, double hd)
{
    const double arrheniusX = (kelvin - kelvinAt25C) / (kelvinAt25C * gasConstant * kelvin);
    T value = eaKJ * (joulesPerKJ * arrheniusX);
    if (ds) {
        const T at25 = (*ds * kelvinAt25C - hd) / (gasConstant * kelvinAt25C);
        const T atT = (*ds * kelvin - hd) / (gasConstant * kelvin);
        value += softplus(at25) - softplus(atT);
    }
    return value;
}

template <typename T>
T rateAt(double kelvin, const T* p, bool peaked, double hd)
{
    using std::exp;
    return p[0] * exp(logRelativeRate(kelvin, p[1], peaked ? &p[2] : nullptr, hd));
}

// One point's residual; N is the number of parameters (2 or 3).
template <int N>
struct PointResidual {
    double kelvin, value, hd;
    template <typename T>
    bool operator()(const T* const p, T* residual) const
    {
        residual[0] = rateAt(kelvin, p, N == 3, hd) - value;
        return true;
    }
};

ceres::CostFunction* residualFor(TemperatureModel model, double kelvin, double value, double hd)
{
    if (model == TemperatureModel::Peaked)
        return new ceres::AutoDiffCostFunction<PointResidual<3>, 1, 3>(new PointResidual<3>{kelvin, value, hd});
    return new ceres::AutoDiffCostFunction<PointResidual<2>, 1, 2>(new PointResidual<2>{kelvin, value, hd});
}

// The points with their temperatures in kelvin.
struct Problem {
    Points kelvinValue;
    TemperatureModel model;
    double hd;
};

double sumOfSquares(const Problem& problem, const Parameters& p)
{
    const bool peaked = problem.model == TemperatureModel::Peaked;
    double sse = 0;
    for (const auto& [kelvin, value] : problem.kelvinValue) {
        const double r = rateAt(kelvin, p.data(), peaked, problem.hd) - value;
        sse += r * r;
    }
    return sse;
}

// --- Starting points --------------------------------------------------------------------------

// For a given Ea and dS the model is k25 times a known shape, so the best k25 is a
// closed-form projection: the grid searches only the two nonlinear parameters.
struct GridNode {
    Parameters p{};
    double sse = std::numeric_limits<double>::infinity();
};

GridNode projectedNode(const Problem& problem, double eaKJ, double ds)
{
    GridNode node;
    node.p = {1, eaKJ, ds};
    double shapeValue = 0, shapeShape = 0;
    std::vector<double> shape;
    for (const auto& [kelvin, value] : problem.kelvinValue) {
        const double g = rateAt(kelvin, node.p.data(), problem.model == TemperatureModel::Peaked, problem.hd);
        shape.push_back(g);
        shapeValue += g * value;
        shapeShape += g * g;
    }
    if (!(shapeShape > 0) || !std::isfinite(shapeShape) || !std::isfinite(shapeValue))
        return node;
    node.p[0] = shapeValue / shapeShape;
    double sse = 0;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const double r = node.p[0] * shape[i] - problem.kelvinValue[i].second;
        sse += r * r;
    }
    if (std::isfinite(sse))
        node.sse = sse;
    return node;
}

// A grid over Ea (and, for the peaked model, over the temperature Hd / dS where
// deactivation is half complete, which brackets any dS the points can support). The
// solver starts from the grid's local minima, best first, and from a coarse even
// spread of nodes, so that neither a narrow valley nor a distant basin is missed.
std::vector<Parameters> startingPoints(const Problem& problem)
{
    const bool peaked = problem.model == TemperatureModel::Peaked;
    double coldest = std::numeric_limits<double>::infinity(), warmest = -coldest;
    for (const auto& point : problem.kelvinValue) {
        coldest = std::min(coldest, point.first);
        warmest = std::max(warmest, point.first);
    }
    // Ea from well below 0 (a rate that falls with temperature) to twice Hd.
    const double eaLow = peaked ? 1 : -150;
    const double eaHigh = peaked ? std::max(400.0, 2 * problem.hd / joulesPerKJ) : 400;
    const int eaSteps = peaked ? 80 : 220;
    const double halfLow = std::max(coldest - 40, 150.0), halfHigh = warmest + 40;
    const int halfSteps = peaked ? 100 : 0;

    const int columns = halfSteps + 1;
    std::vector<GridNode> grid;
    for (int i = 0; i <= eaSteps; ++i) {
        const double ea = eaLow + (eaHigh - eaLow) * i / eaSteps;
        for (int j = 0; j < columns; ++j) {
            const double ds = peaked ? problem.hd / (halfLow + (halfHigh - halfLow) * j / halfSteps) : 0;
            grid.push_back(projectedNode(problem, ea, ds));
        }
    }
    auto at = [&](int i, int j) -> const GridNode& {
        return grid[static_cast<std::size_t>(i) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(j)];
    };

    std::vector<GridNode> minima;
    for (int i = 0; i <= eaSteps; ++i) {
        for (int j = 0; j < columns; ++j) {
            const GridNode& node = at(i, j);
            if (!std::isfinite(node.sse))
                continue;
            bool lowest = true;
            for (int di = -1; di <= 1 && lowest; ++di) {
                for (int dj = -1; dj <= 1 && lowest; ++dj) {
                    const int ni = i + di, nj = j + dj;
                    if ((di || dj) && ni >= 0 && ni <= eaSteps && nj >= 0 && nj < columns && at(ni, nj).sse < node.sse)
                        lowest = false;
                }
            }
            if (lowest)
                minima.push_back(node);
        }
    }
    std::sort(minima.begin(), minima.end(), [](const GridNode& a, const GridNode& b) { return a.sse < b.sse; });
    constexpr std::size_t mostMinima = 12;
    if (minima.size() > mostMinima)
        minima.resize(mostMinima);

    std::vector<Parameters> starts;
    starts.reserve(minima.size());
    for (const auto& node : minima)
        starts.push_back(node.p);
    constexpr int spread = 4;
    for (int a = 1; a <= spread; ++a) {
        for (int b = peaked ? 1 : 0; b <= (peaked ? spread : 0); ++b) {
            const GridNode& node = at(a * eaSteps / (spread + 1), peaked ? b * halfSteps / (spread + 1) : 0);
            if (std::isfinite(node.sse))
                starts.push_back(node.p);
        }
    }
    return starts;
}

// --- Solving ---------------------------------------------------------------------------------

ceres::Solver::Options solverOptions() { return quietSolverOptions(500, 1e-14); }

struct Optimum {
    Parameters p{};
    double sse = std::numeric_limits<double>::infinity();
    int starts = 0;
    int converged = 0;
};

// The least-squares optimum from one start, apart from the many-start loop, so that a
// profile can refit the others with the parameter `held` kept at its start.
std::optional<std::pair<Parameters, double>> solveFrom(const Problem& problem, Parameters start,
                                                       std::optional<int> held = std::nullopt)
{
    ceres::Problem solverProblem;
    for (const auto& [kelvin, value] : problem.kelvinValue)
        solverProblem.AddResidualBlock(residualFor(problem.model, kelvin, value, problem.hd), nullptr, start.data());
    if (held)
        solverProblem.SetManifold(start.data(), new ceres::SubsetManifold(parameterCount(problem.model), {*held}));
    ceres::Solver::Summary summary;
    ceres::Solve(solverOptions(), &solverProblem, &summary);
    if (summary.termination_type == ceres::FAILURE)
        return std::nullopt;
    const double sse = sumOfSquares(problem, start);
    if (!std::isfinite(sse))
        return std::nullopt;
    return std::pair{start, sse};
}

Optimum bestOptimum(const Problem& problem)
{
    Optimum best;
    const auto starts = startingPoints(problem);
    best.starts = static_cast<int>(starts.size());
    for (const auto& start : starts) {
        const auto reached = solveFrom(problem, start);
        if (!reached)
            continue;
        ++best.converged;
        if (reached->second < best.sse) {
            best.p = reached->first;
            best.sse = reached->second;
        }
    }
    return best;
}

// --- Profile intervals ------------------------------------------------------------------------

// S(v): solver parameter k held at v and the others refitted from each start, the
// lowest reached; `reached` takes its parameters.
double profileSse(const Problem& problem, int k, double v, const std::vector<Parameters>& starts,
                  Parameters* reached = nullptr)
{
    double best = std::numeric_limits<double>::infinity();
    for (Parameters start : starts) {
        start[static_cast<std::size_t>(k)] = v;
        const auto solved = solveFrom(problem, start, k);
        if (solved && solved->second < best) {
            best = solved->second;
            if (reached)
                *reached = solved->first;
        }
    }
    return best;
}

// Where each parameter's profile is searched, in the solver's units. k25 a thousand
// times beyond the largest value, Ea within 1000 kJ mol-1 either side of 0 and dS up to
// 10 000 J mol-1 K-1 are far beyond any leaf: a profile still below the bound there
// does not close. dS stops at 0, where deactivation vanishes.
std::array<std::pair<double, double>, 3> searchRanges(const Problem& problem)
{
    double largest = 0;
    for (const auto& point : problem.kelvinValue)
        largest = std::max(largest, std::abs(point.second));
    const double k25Range = 1000 * std::max(largest, 1e-300);
    return {{{-k25Range, k25Range}, {-1000, 1000}, {0, 10000}}};
}

// The 95 % profile interval of each fitted parameter: walked from the optimum, each
// step refitted from the last step's parameters and from the optimum.
void addIntervals(const Problem& problem, const Parameters& optimum, const Parameters& errors,
                  TemperatureResponseFit& result)
{
    result.intervalBound = profileThreshold(result.sse, result.points, result.parameters);
    const auto ranges = searchRanges(problem);
    const std::array<ProfileInterval*, 3> intervals{&result.k25Interval, &result.eaInterval, &result.dsInterval};
    const std::array<double, 3> toReported{1, joulesPerKJ, 1};
    for (int k = 0; k < parameterCount(problem.model); ++k) {
        const auto i = static_cast<std::size_t>(k);
        Parameters warm = optimum;
        auto sse = [&](double v) {
            Parameters reached = warm;
            const double s = profileSse(problem, k, v, {warm, optimum}, &reached);
            if (std::isfinite(s))
                warm = reached;
            return s;
        };
        const double step = errors[i] > 0 ? errors[i] : 0.1 * std::abs(optimum[i]) + 1e-3;
        const ProfileInterval found = profileInterval(sse, optimum[i], step, ranges[i].first, ranges[i].second,
                                                      result.intervalBound);
        // An end where the profile runs into values it cannot evaluate (an overflow, a
        // solver failure) is where the search stopped, not where the bound is crossed:
        // it stays open.
        auto reported = [&](const std::optional<double>& end, double direction) -> std::optional<double> {
            if (!end)
                return std::nullopt;
            const double beyond = *end + direction * 1e-6 * std::max(std::abs(*end), step);
            if (!std::isfinite(profileSse(problem, k, beyond, {warm, optimum})))
                return std::nullopt;
            return *end * toReported[i];
        };
        const auto lower = reported(found.lower, -1);
        *intervals[i] = {lower, reported(found.upper, 1)};
    }
}

// --- Standard errors --------------------------------------------------------------------------

// The covariance of the solver's parameters, (J'J)^-1 scaled by SSE / (n - p); none
// when J'J is singular at the optimum. Each column of J is brought to unit length
// first, so that the condition check sees a real dependence between the parameters
// and not their units.
std::optional<Eigen::MatrixXd> covarianceAt(const Problem& problem, const Parameters& p, double sse)
{
    const int n = static_cast<int>(problem.kelvinValue.size());
    const int np = parameterCount(problem.model);
    Eigen::MatrixXd jacobian(n, np);
    for (int row = 0; row < n; ++row) {
        const std::unique_ptr<ceres::CostFunction> cost(
            residualFor(problem.model, problem.kelvinValue[static_cast<std::size_t>(row)].first, 0, problem.hd));
        const double* values[] = {p.data()};
        double residual = 0;
        std::array<double, 3> derivative{};
        double* blocks[] = {derivative.data()};
        if (!cost->Evaluate(values, &residual, blocks))
            return std::nullopt;
        for (int c = 0; c < np; ++c)
            jacobian(row, c) = derivative[static_cast<std::size_t>(c)];
    }
    if (!jacobian.allFinite())
        return std::nullopt;
    const Eigen::VectorXd norms = jacobian.colwise().norm();
    if (!(norms.minCoeff() > 0))
        return std::nullopt;
    const Eigen::MatrixXd scaled = jacobian * norms.cwiseInverse().asDiagonal();
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(scaled.transpose() * scaled);
    if (eigen.info() != Eigen::Success)
        return std::nullopt;
    if (!(eigen.eigenvalues().minCoeff() > 1e-12 * eigen.eigenvalues().maxCoeff()))
        return std::nullopt;
    const Eigen::MatrixXd inverse = eigen.eigenvectors() * eigen.eigenvalues().cwiseInverse().asDiagonal() *
                                    eigen.eigenvectors().transpose();
    const Eigen::MatrixXd covariance = norms.cwiseInverse().asDiagonal() * inverse * norms.cwiseInverse().asDiagonal() *
                                       (sse / (n - np));
    if (!covariance.allFinite())
        return std::nullopt;
    return covariance;
}

// --- The peak ---------------------------------------------------------------------------------

// Where d k / d T = 0: Topt = Hd / (dS - R ln(Ea / (Hd - Ea))), in kelvin, with its
// gradient with respect to (Ea in kJ, dS) for the delta method. None where the
// curve rises or falls throughout (Ea outside (0, Hd), or no positive Topt).
struct Peak {
    double kelvin = 0;
    double byEaKJ = 0, byDs = 0;
};

std::optional<Peak> peakOf(double ea, double ds, double hd)
{
    if (!(ea > 0) || !(ea < hd))
        return std::nullopt;
    const double denominator = ds - gasConstant * std::log(ea / (hd - ea));
    if (!(denominator > 0))
        return std::nullopt;
    Peak peak;
    peak.kelvin = hd / denominator;
    const double byDenominator = -hd / (denominator * denominator);
    peak.byDs = byDenominator;
    peak.byEaKJ = byDenominator * (-gasConstant * hd / (ea * (hd - ea))) * joulesPerKJ;
    if (!std::isfinite(peak.kelvin) || !std::isfinite(peak.byDs) || !std::isfinite(peak.byEaKJ))
        return std::nullopt;
    return peak;
}

// The share of the enzyme that the peaked model has deactivated at the warmest point.
constexpr double leastDeactivation = 0.01;

double deactivatedFraction(const Problem& problem, double ds)
{
    double warmest = 0;
    for (const auto& point : problem.kelvinValue)
        warmest = std::max(warmest, point.first);
    const double z = (ds * warmest - problem.hd) / (gasConstant * warmest);
    return 1 / (1 + std::exp(-z));
}

std::string pointsWord(std::size_t n) { return std::to_string(n) + (n == 1 ? " point" : " points"); }

TemperatureResponseFit cannotFit(TemperatureResponseFit result, const std::string& why)
{
    result.fitted = false;
    result.message = "Cannot fit: " + why;
    return result;
}

// The checks made before solving; an empty text when the points can be fitted.
std::string inputProblem(const Points& tempValue, const TemperatureResponseSettings& settings)
{
    if (settings.model == TemperatureModel::Peaked && (!std::isfinite(settings.hd) || !(settings.hd > 0)))
        return "Hd must be a positive number of J mol-1";
    for (const auto& [celsius, value] : tempValue) {
        if (!std::isfinite(celsius) || !std::isfinite(value))
            return "a point's leaf temperature or value is not a finite number";
        if (!(celsius > -kelvinAt0C))
            return "a leaf temperature is at or below absolute zero";
    }
    const auto np = static_cast<std::size_t>(parameterCount(settings.model));
    if (tempValue.size() <= np)
        return pointsWord(tempValue.size()) + " for " + std::to_string(np) + " parameters; at least " +
               std::to_string(np + 1) + " are needed";
    std::set<double> temperatures;
    for (const auto& point : tempValue)
        temperatures.insert(point.first);
    if (temperatures.size() < np)
        return "the points have " + std::to_string(temperatures.size()) +
               " different leaf temperatures; the model needs at least " + std::to_string(np);
    return {};
}

void quietSolverLog()
{
    // A failed solve also goes to the standard error stream; here every failure
    // reaches the user through the result's message instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] { FLAGS_minloglevel = google::GLOG_FATAL; });
}

}  // namespace

TemperatureResponseFit fitTemperatureResponse(const Points& tempValue, const TemperatureResponseSettings& settings)
{
    quietSolverLog();
    TemperatureResponseFit result;
    result.settings = settings;
    result.points = static_cast<int>(tempValue.size());
    result.parameters = parameterCount(settings.model);
    if (const auto problem = inputProblem(tempValue, settings); !problem.empty())
        return cannotFit(result, problem);

    Problem problem{{}, settings.model, settings.hd};
    for (const auto& [celsius, value] : tempValue)
        problem.kelvinValue.emplace_back(celsius + kelvinAt0C, value);
    const bool peaked = settings.model == TemperatureModel::Peaked;

    const Optimum best = bestOptimum(problem);
    result.starts = best.starts;
    result.convergedStarts = best.converged;
    if (best.starts == 0)
        return cannotFit(result, "the sum of squares is not a finite number anywhere (the values are too large)");
    if (!std::isfinite(best.sse))
        return cannotFit(result,
                         "the solver found no usable optimum from any of " + std::to_string(best.starts) + " starts");
    const auto covariance = covarianceAt(problem, best.p, best.sse);
    if (!covariance)
        return cannotFit(result, peaked ? "these points do not determine k25, Ea and dS together (the problem is "
                                          "singular at the optimum)"
                                        : "these points do not determine k25 and Ea together (the problem is "
                                          "singular at the optimum)");
    const Eigen::MatrixXd& c = *covariance;
    std::string note;
    if (peaked) {
        // Where hardly any enzyme is deactivated even at the warmest point, the values
        // show no decline and dS only bends the curve beyond them: any dS far enough out
        // fits as well, and the peak it implies is arbitrary.
        if (deactivatedFraction(problem, best.p[2]) < leastDeactivation)
            return cannotFit(result, "the values show no decline at the warm end (less than 1 % deactivated at the "
                                     "warmest point), so they do not determine dS; the Arrhenius model suits them");
        const double dsSE = std::sqrt(std::max(c(2, 2), 0.0));
        if (!(dsSE < std::abs(best.p[2])))
            return cannotFit(result, "these points do not determine dS with Hd at " + formatNumber(settings.hd, '.') +
                                         " J mol-1 (its standard error, " + formatNumber(dsSE, '.') +
                                         " J mol-1 K-1, exceeds its value)");
        result.ds = best.p[2];
        result.dsSE = dsSE;
        if (const auto peak = peakOf(best.p[1] * joulesPerKJ, best.p[2], settings.hd)) {
            result.topt = peak->kelvin - kelvinAt0C;
            const double variance = peak->byEaKJ * peak->byEaKJ * c(1, 1) + 2 * peak->byEaKJ * peak->byDs * c(1, 2) +
                                    peak->byDs * peak->byDs * c(2, 2);
            if (std::isfinite(variance) && variance >= 0)
                result.toptSE = std::sqrt(variance);
        } else {
            note = "; no optimum temperature, as Ea is not between 0 and Hd";
        }
    }
    result.k25 = best.p[0];
    result.k25SE = std::sqrt(std::max(c(0, 0), 0.0));
    result.ea = best.p[1] * joulesPerKJ;
    result.eaSE = std::sqrt(std::max(c(1, 1), 0.0)) * joulesPerKJ;
    result.sse = best.sse;
    result.rmse = std::sqrt(best.sse / result.points);
    addIntervals(problem, best.p, {result.k25SE, result.eaSE / joulesPerKJ, result.dsSE.value_or(0)}, result);
    for (const auto& [name, interval] : {std::pair{"k25", result.k25Interval}, std::pair{"Ea", result.eaInterval},
                                         std::pair{"dS", result.dsInterval}}) {
        if (std::string(name) == "dS" && !peaked)
            continue;
        if (!interval.lower)
            note += std::string("; the 95 % interval of ") + name + " does not close below within its search range";
        if (!interval.upper)
            note += std::string("; the 95 % interval of ") + name + " does not close above within its search range";
    }
    result.fitted = true;
    result.message = "Fitted to " + pointsWord(tempValue.size()) + "; optimum reached from " +
                     std::to_string(best.converged) + " of " + std::to_string(best.starts) + " starts" + note;
    return result;
}

double temperatureResponseProfile(const Points& tempValue, const TemperatureResponseFit& fit,
                                  TemperatureParameter parameter, double value)
{
    const bool peaked = fit.settings.model == TemperatureModel::Peaked;
    if (!fit.fitted || (parameter == TemperatureParameter::DS && !peaked))
        return std::numeric_limits<double>::infinity();
    quietSolverLog();
    Problem problem{{}, fit.settings.model, fit.settings.hd};
    for (const auto& [celsius, v] : tempValue)
        problem.kelvinValue.emplace_back(celsius + kelvinAt0C, v);
    const Parameters optimum{fit.k25, fit.ea / joulesPerKJ, fit.ds.value_or(0)};
    const int k = parameter == TemperatureParameter::K25 ? 0 : parameter == TemperatureParameter::Ea ? 1 : 2;
    return profileSse(problem, k, k == 1 ? value / joulesPerKJ : value, {optimum});
}

double temperatureResponseValue(const TemperatureResponseFit& fit, double celsius)
{
    if (!fit.fitted)
        return 0;
    const Parameters p{fit.k25, fit.ea / joulesPerKJ, fit.ds.value_or(0)};
    const double value = rateAt(celsius + kelvinAt0C, p.data(), fit.settings.model == TemperatureModel::Peaked,
                                fit.settings.hd);
    return std::isfinite(value) ? value : 0;
}

}  // namespace calvane
