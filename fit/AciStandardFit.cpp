#include "fit/AciStandardFit.h"

// The only translation unit that sees Ceres (and the Eigen headers behind it): they
// are heavy to compile, and nothing outside this file needs them.
#include "fit/SolverOptions.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>

namespace calvane {

namespace {

// --- Constants ----------------------------------------------------------------------

// Arrhenius functions: gas constant (J mol-1 K-1), the reference temperature and the
// offset from degrees C to K, as Bernacchi et al. (2001) use them.
constexpr double gasConstant = 8.314;
constexpr double reference25K = 298.15;
constexpr double zeroCelsiusK = 273.15;

// Rubisco kinetics at 25 degrees C and their activation energies (J mol-1):
// Bernacchi, Singsaas, Pimentel, Portis & Long (2001), Plant Cell Environ. 24:
// 253-259, table 1 (in vivo values, tobacco).
constexpr double kc25 = 404.9;  // umol mol-1
constexpr double kcActivation = 79430;
constexpr double ko25 = 278.4;  // mmol mol-1
constexpr double koActivation = 36380;
constexpr double gammaStar25 = 42.75;  // umol mol-1
constexpr double gammaStarActivation = 37830;

// O2 mole fraction of air (mmol mol-1), and the pressure (kPa) at which the
// constants above hold; Ci, O and GammaStar are scaled by Patm over it.
constexpr double oxygenFraction = 210;
constexpr double referencePressure = 100;

// Electron transport against incident light, a non-rectangular hyperbola: quantum
// yield of J and curvature, the defaults of Duursma (2015), PLoS ONE 10: e0143346
// (after Medlyn et al. 2002, Plant Cell Environ. 25: 1167-1179).
constexpr double quantumYield = 0.24;
constexpr double lightCurvature = 0.85;

// The limitations are joined by a hyperbolic minimum of this curvature (Duursma
// 2015): smooth where they cross, which the solver needs, and 1 % below the exact
// minimum right at the crossing, much closer away from it.
constexpr double colimitationCurvature = 0.9999;

// RuBP regeneration: 4 electrons per carboxylation, 2 GammaStar in the denominator
// (the NADPH-limited form of von Caemmerer 2000); TPU: Ap = 3 TPU (Sharkey 1985).
constexpr double electronsPerCarboxylation = 4;
constexpr double tpuFactor = 3;

// Temperature responses to 25 degrees C: Kattge & Knorr (2007), Plant Cell Environ.
// 30: 1176-1190, as Duursma (2015) applies them by default: Vcmax without a
// deactivation term, Jmax peaked. Activation and deactivation in J mol-1, entropy
// terms in J mol-1 K-1.
constexpr double vcmaxActivation = 82620.87;
constexpr double jmaxActivation = 39676.89;
constexpr double jmaxEntropy = 641.3615;
constexpr double jmaxDeactivation = 200000;

double kelvin(double celsius) { return celsius + zeroCelsiusK; }

// Value at the leaf temperature from the value at 25 degrees C.
double arrhenius(double value25, double activation, double leafTemperature)
{
    const double tk = kelvin(leafTemperature);
    return value25 * std::exp(activation * (tk - reference25K) / (reference25K * gasConstant * tk));
}

// --- The model ----------------------------------------------------------------------

struct Model {
    AciStandardConstants constants;
    double pressureScale = 1;    // Patm / 100 kPa, applied to Ci
    std::optional<double> ppfd;  // none: the parameter is J itself
    bool fitTPU = false;         // TPU limits, fitted or held
    // Vcmax, Jmax (or J), Rd and TPU: which are held at their starting values.
    std::array<bool, 4> held{};
    std::optional<double> gm;  // mesophyll conductance; none: infinite

    bool anyHeld() const { return held[0] || held[1] || held[2] || held[3]; }
    int freeParameters() const
    {
        int free = fitTPU && !held[3] ? 1 : 0;
        for (int k = 0; k < 3; ++k)
            free += held[k] ? 0 : 1;
        return free;
    }
};

// The smaller root of theta x^2 - (a + b) x + a b = 0: min(a, b), rounded where they
// cross.
template <typename T>
T hyperbolicMinimum(const T& a, const T& b)
{
    using std::sqrt;
    const T sum = a + b;
    const T discriminant = sum * sum - 4.0 * colimitationCurvature * a * b;
    if (!(discriminant > 0.0))  // a = b = 0
        return sum / (2.0 * colimitationCurvature);
    const T root = sqrt(discriminant);
    // The same root written so that it does not cancel when the sum is positive.
    if (sum > 0.0)
        return 2.0 * a * b / (sum + root);
    return (sum - root) / (2.0 * colimitationCurvature);
}

// J at a light from Jmax, the smaller root of theta J^2 - (aQ + Jmax) J + aQ Jmax = 0.
template <typename T>
T electronTransport(const T& jmax, double ppfd)
{
    using std::sqrt;
    const double aq = quantumYield * ppfd;
    const T sum = aq + jmax;
    const T root = sqrt(sum * sum - 4.0 * lightCurvature * aq * jmax);  // > 0 for any Jmax
    if (sum > 0.0)
        return 2.0 * aq * jmax / (sum + root);
    return (sum - root) / (2.0 * lightCurvature);
}

template <typename T>
struct Rates {
    T ac, aj, ap;
};

// The gross rate of one limitation on the chloroplastic basis, Cc = Ci - A / gm: the
// net rate An is the smaller root of
//   -An^2 / gm + ((V - Rd) / gm + c + K) An + (Rd (c + K) - V (c - GammaStar)) = 0,
// and the gross rate An + Rd. A negative discriminant has no rate: 0, and `noRoot`.
template <typename T>
T conductanceLimitedRate(const T& v, double k, double c, double gammaStar, const T& rd, double gm, bool& noRoot)
{
    using std::sqrt;
    const double a = -1.0 / gm;
    const T b = (v - rd) / gm + c + k;
    const T constant = rd * (c + k) - v * (c - gammaStar);
    const T discriminant = b * b - 4.0 * a * constant;
    if (discriminant < 0.0) {
        noRoot = true;
        return T(0.0);
    }
    const T root = sqrt(discriminant);
    // The same root written so that it does not cancel when b is positive.
    const T net = b > 0.0 ? 2.0 * constant / (-b - root) : (root - b) / (2.0 * a);
    return net + rd;
}

template <typename T>
Rates<T> grossRates(const Model& m, double ci, const T& vcmax, const T& jmaxOrJ, const T& rd, const T& tpu,
                    bool* noRoot = nullptr)
{
    const double c = ci * m.pressureScale;
    const double gs = m.constants.gammaStar;
    const T j = m.ppfd ? electronTransport(jmaxOrJ, *m.ppfd) : jmaxOrJ;
    if (m.gm) {
        // Ci is not held at GammaStar here: the quadratic has its own low-Ci branch.
        bool missing = false;
        const T ac = conductanceLimitedRate(vcmax, m.constants.km, c, gs, rd, *m.gm, missing);
        const T aj = conductanceLimitedRate(T(j / electronsPerCarboxylation), 2.0 * gs, c, gs, rd, *m.gm, missing);
        if (noRoot)
            *noRoot = missing;
        return {ac, aj, tpuFactor * tpu};
    }
    T aj = j / electronsPerCarboxylation * ((c - gs) / (c + 2.0 * gs));
    // Below GammaStar both rates turn negative and a plain minimum would pick the RuBP
    // rate, although at such low Ci the smaller carboxylation rate is Rubisco's. The
    // RuBP rate is held at zero there, so that the minimum gives the Rubisco rate, as
    // the field's reference implementation does: its fits of curves with a point
    // below GammaStar are matched only this way.
    if (aj < 0.0)
        aj = T(0.0);
    return {vcmax * ((c - gs) / (c + m.constants.km)), aj, tpuFactor * tpu};
}

template <typename T>
T netAssimilation(const Model& m, double ci, const T& vcmax, const T& jmaxOrJ, const T& rd, const T& tpu)
{
    const Rates<T> r = grossRates(m, ci, vcmax, jmaxOrJ, rd, tpu);
    T gross = hyperbolicMinimum(r.ac, r.aj);
    if (m.fitTPU)
        gross = hyperbolicMinimum(gross, r.ap);
    return gross - rd;
}

AciLimitation limitationAt(const Model& m, double ci, const std::array<double, 4>& p, bool& noRoot)
{
    const Rates<double> r = grossRates(m, ci, p[0], p[1], p[2], p[3], &noRoot);
    if (m.fitTPU && r.ap < r.ac && r.ap < r.aj)
        return AciLimitation::TPU;
    return r.ac <= r.aj ? AciLimitation::Rubisco : AciLimitation::RuBP;
}

// --- Starting points --------------------------------------------------------------------

struct Line {
    double slope, intercept;
};

// Ordinary least squares of y on x over [from, to); none when x does not vary.
std::optional<Line> straightLine(const std::vector<double>& x, const std::vector<double>& y, std::size_t from,
                                 std::size_t to)
{
    const double n = static_cast<double>(to - from);
    if (to <= from + 1)
        return std::nullopt;
    double mx = 0, my = 0;
    for (std::size_t i = from; i < to; ++i) {
        mx += x[i] / n;
        my += y[i] / n;
    }
    double sxx = 0, sxy = 0;
    for (std::size_t i = from; i < to; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    if (!(sxx > 0))
        return std::nullopt;
    const Line line{sxy / sxx, my - sxy / sxx * mx};
    if (!std::isfinite(line.slope) || !std::isfinite(line.intercept))
        return std::nullopt;
    return line;
}

// Least squares of A = Vcmax x1 - Rd over the points before `split` and
// A = (J/4) x2 - Rd over the rest, one Rd for both: (Vcmax, J/4, Rd), or none when
// the points do not determine them.
std::optional<std::array<double, 3>> splitCurve(const std::vector<double>& x1, const std::vector<double>& x2,
                                                const std::vector<double>& a, std::size_t split)
{
    // Normal equations M u = b of the rows (x1, 0, -1) and (0, x2, -1).
    std::array<std::array<double, 3>, 3> m{};
    std::array<double, 3> b{};
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::array<double, 3> row = i < split ? std::array<double, 3>{x1[i], 0, -1}
                                                    : std::array<double, 3>{0, std::max(x2[i], 0.0), -1};
        for (int r = 0; r < 3; ++r) {
            b[r] += row[r] * a[i];
            for (int c = 0; c < 3; ++c)
                m[r][c] += row[r] * row[c];
        }
    }
    auto det = [](const std::array<std::array<double, 3>, 3>& q) {
        return q[0][0] * (q[1][1] * q[2][2] - q[1][2] * q[2][1]) - q[0][1] * (q[1][0] * q[2][2] - q[1][2] * q[2][0]) +
               q[0][2] * (q[1][0] * q[2][1] - q[1][1] * q[2][0]);
    };
    const double d = det(m);
    double scale = 1;
    for (const auto& row : m)
        scale *= std::abs(row[0]) + std::abs(row[1]) + std::abs(row[2]);
    if (!(std::abs(d) > 1e-12 * scale))
        return std::nullopt;
    std::array<double, 3> u{};
    for (int k = 0; k < 3; ++k) {  // Cramer's rule: small and exact enough for a start
        auto mk = m;
        for (int r = 0; r < 3; ++r)
            mk[r][k] = b[r];
        u[k] = det(mk) / d;
    }
    return u;
}

// Jmax that gives J at the light: the hyperbola solved the other way. J near its
// light-limited ceiling aQ is held just below it.
double jmaxFor(double j, double ppfd)
{
    const double aq = quantumYield * ppfd;
    j = std::min(j, 0.98 * aq);
    return j * (aq - lightCurvature * j) / (aq - j);
}

// Starting points: for each place where the curve could pass from Rubisco to RuBP
// limitation, the exact least-squares curve with the points below it Rubisco-limited
// and those above RuBP-limited, which is linear in Vcmax, J and Rd; then the whole
// curve taken as one limitation or the other. The optimum with the transition in
// the right place is then never far from one of them, so the best optimum does not
// hang on one lucky guess.
std::vector<std::array<double, 4>> startingPoints(const Model& m, std::vector<std::pair<double, double>> points)
{
    std::sort(points.begin(), points.end());
    const std::size_t n = points.size();
    const double gs = m.constants.gammaStar;
    std::vector<double> rubisco(n), rubp(n), a(n);
    double largestA = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < n; ++i) {
        const double c = points[i].first * m.pressureScale;
        rubisco[i] = (c - gs) / (c + m.constants.km);
        rubp[i] = (c - gs) / (c + 2 * gs);
        a[i] = points[i].second;
        largestA = std::max(largestA, a[i]);
    }

    std::vector<std::array<double, 4>> starts;
    auto add = [&](double vcmax, double j, double rd) {
        if (!(vcmax > 0) || !(j > 0) || !std::isfinite(vcmax) || !std::isfinite(j) || !std::isfinite(rd))
            return;
        const double jmaxOrJ = m.ppfd ? jmaxFor(j, *m.ppfd) : j;
        const double tpu = (largestA + rd) / tpuFactor;
        starts.push_back({vcmax, jmaxOrJ, rd, tpu});
        // TPU also from above the top of the curve, where it starts out not limiting.
        if (m.fitTPU)
            starts.push_back({vcmax, jmaxOrJ, rd, 1.5 * std::abs(tpu) + 1});
    };

    for (std::size_t split = 1; split < n; ++split) {
        if (const auto piecewise = splitCurve(rubisco, rubp, a, split))
            add((*piecewise)[0], electronsPerCarboxylation * (*piecewise)[1], (*piecewise)[2]);
    }
    // The whole curve under one limitation, the other rate set to just meet the top.
    if (const auto all = straightLine(rubisco, a, 0, n)) {
        const double rd = -all->intercept;
        add(all->slope, electronsPerCarboxylation * (largestA + rd) / rubp[n - 1], rd);
    }
    if (const auto all = straightLine(rubp, a, 0, n)) {
        const double rd = -all->intercept;
        add((largestA + rd) / rubisco[n - 1], electronsPerCarboxylation * all->slope, rd);
    }
    // And a typical leaf, for curves where every line above fails.
    add(60, 120, 1);
    return starts;
}

// --- Solving -------------------------------------------------------------------------------

struct PointResidual {
    const Model* model;
    double ci, a;
    template <typename T>
    bool operator()(const T* const p, const T* const tpu, T* residual) const
    {
        residual[0] = netAssimilation(*model, ci, p[0], p[1], p[2], tpu[0]) - a;
        return true;
    }
};

// One problem over the points: Vcmax, Jmax (or J) and Rd in one block, TPU in a
// block of its own that is held constant when TPU is not fitted.
struct Fitting {
    std::array<double, 3> main{};
    double tpu = 0;
    ceres::Problem problem;

    Fitting(const Model& model, const std::vector<std::pair<double, double>>& points,
            const std::array<double, 4>& start)
        : main{start[0], start[1], start[2]}, tpu(start[3])
    {
        for (const auto& [ci, a] : points) {
            problem.AddResidualBlock(
                new ceres::AutoDiffCostFunction<PointResidual, 1, 3, 1>(new PointResidual{&model, ci, a}), nullptr,
                main.data(), &tpu);
        }
        if (!model.fitTPU || model.held[3])
            problem.SetParameterBlockConstant(&tpu);
        std::vector<int> heldMain;
        for (int k = 0; k < 3; ++k) {
            if (model.held[k])
                heldMain.push_back(k);
        }
        if (heldMain.size() == main.size())
            problem.SetParameterBlockConstant(main.data());
        else if (!heldMain.empty())
            problem.SetManifold(main.data(), new ceres::SubsetManifold(3, heldMain));
    }

    std::array<double, 4> parameters() const { return {main[0], main[1], main[2], tpu}; }
};

ceres::Solver::Options solverOptions() { return quietSolverOptions(500, 1e-13); }

double sumOfSquares(const Model& model, const std::vector<std::pair<double, double>>& points,
                    const std::array<double, 4>& p)
{
    double sse = 0;
    for (const auto& [ci, a] : points) {
        const double r = netAssimilation(model, ci, p[0], p[1], p[2], p[3]) - a;
        sse += r * r;
    }
    return sse;
}

// Whether J'J at the parameters is safely invertible. Checked here, before Ceres's
// covariance is asked, because Ceres reports a singular matrix on the standard error
// stream, which a desktop program or a batch run must not fill.
bool wellConditioned(Fitting& fitting, bool fitTPU)
{
    ceres::Problem::EvaluateOptions options;
    options.parameter_blocks = {fitting.main.data()};
    if (fitTPU)
        options.parameter_blocks.push_back(&fitting.tpu);
    double cost = 0;
    ceres::CRSMatrix jacobian;
    if (!fitting.problem.Evaluate(options, &cost, nullptr, nullptr, &jacobian))
        return false;
    Eigen::MatrixXd dense = Eigen::MatrixXd::Zero(jacobian.num_rows, jacobian.num_cols);
    for (int row = 0; row < jacobian.num_rows; ++row) {
        for (int k = jacobian.rows[row]; k < jacobian.rows[row + 1]; ++k)
            dense(row, jacobian.cols[k]) = jacobian.values[k];
    }
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(dense.transpose() * dense);
    if (eigen.info() != Eigen::Success)
        return false;
    const double largest = eigen.eigenvalues().maxCoeff();
    const double smallest = eigen.eigenvalues().minCoeff();
    // Ceres gives up below 1e-14; a margin keeps it from ever reaching that point.
    return std::isfinite(largest) && largest > 0 && smallest / largest > 1e-12;
}

// Standard errors of the free parameters where some are held: (J'J)^-1 over the free
// columns, scaled by the residual variance; none when J'J is not safely invertible.
std::optional<std::array<double, 4>> heldStandardErrors(const Model& model,
                                                        const std::vector<std::pair<double, double>>& points,
                                                        const std::array<double, 4>& p, double residualVariance)
{
    std::vector<int> columns;
    for (int k = 0; k < 4; ++k) {
        if (!model.held[k] && (k < 3 || model.fitTPU))
            columns.push_back(k);
    }
    std::array<double, 4> errors{};
    if (columns.empty())
        return errors;
    const int n = static_cast<int>(points.size());
    Eigen::MatrixXd jacobian(n, static_cast<int>(columns.size()));
    for (int row = 0; row < n; ++row) {
        const ceres::AutoDiffCostFunction<PointResidual, 1, 3, 1> cost(
            new PointResidual{&model, points[row].first, points[row].second});
        const std::array<double, 3> main{p[0], p[1], p[2]};
        const double* values[] = {main.data(), &p[3]};
        double residual = 0;
        std::array<double, 3> dMain{};
        double dTpu = 0;
        double* blocks[] = {dMain.data(), &dTpu};
        if (!cost.Evaluate(values, &residual, blocks))
            return std::nullopt;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const int k = columns[c];
            jacobian(row, static_cast<int>(c)) = k < 3 ? dMain[static_cast<std::size_t>(k)] : dTpu;
        }
    }
    const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(jacobian.transpose() * jacobian);
    if (eigen.info() != Eigen::Success || !jacobian.allFinite())
        return std::nullopt;
    const double largest = eigen.eigenvalues().maxCoeff();
    const double smallest = eigen.eigenvalues().minCoeff();
    if (!(largest > 0) || !(smallest / largest > 1e-12))
        return std::nullopt;
    const Eigen::MatrixXd inverse = eigen.eigenvectors() * eigen.eigenvalues().cwiseInverse().asDiagonal() *
                                    eigen.eigenvectors().transpose();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const double variance = inverse(static_cast<int>(c), static_cast<int>(c));
        errors[static_cast<std::size_t>(columns[c])] = std::sqrt(std::max(variance, 0.0) * residualVariance);
    }
    return errors;
}

// The message for an optimum where the points leave a parameter undetermined,
// naming it when no point is under its limitation.
std::string undeterminedParameter(const AciStandardFitResult& result)
{
    auto none = [&](AciLimitation limitation) {
        return std::find(result.limitations.begin(), result.limitations.end(), limitation) == result.limitations.end();
    };
    const std::string jName = result.jInsteadOfJmax ? "J" : "Jmax";
    if (result.tpuFitted && none(AciLimitation::TPU))
        return "no point is limited by TPU, so these points do not determine it; fit without TPU";
    if (none(AciLimitation::RuBP))
        return "no point is limited by RuBP regeneration, so these points do not determine " + jName;
    if (none(AciLimitation::Rubisco))
        return "no point is limited by Rubisco, so these points do not determine Vcmax";
    return "these points do not determine every parameter (the problem is singular at the optimum)";
}

AciStandardFitResult cannotFit(AciStandardFitResult result, std::string why)
{
    result.fitted = false;
    result.message = "Cannot fit: " + std::move(why);
    return result;
}

Model modelOf(const AciStandardFitSettings& settings)
{
    Model m;
    m.constants = aciStandardConstants(settings.leafTemperature, settings.patm);
    m.pressureScale = settings.patm / referencePressure;
    if (settings.ppfd && *settings.ppfd > 0 && std::isfinite(*settings.ppfd))
        m.ppfd = settings.ppfd;
    m.fitTPU = settings.fitTPU || settings.heldTPU.has_value();
    m.gm = settings.gm;
    m.held = {settings.heldVcmax.has_value(), settings.heldJmax.has_value(), settings.heldRd.has_value(),
              settings.heldTPU.has_value()};
    return m;
}

}  // namespace

AciStandardConstants aciStandardConstants(double leafTemperature, double patm)
{
    const double scale = patm / referencePressure;
    AciStandardConstants c;
    c.kc = arrhenius(kc25, kcActivation, leafTemperature);
    c.ko = arrhenius(ko25, koActivation, leafTemperature);
    c.oxygen = oxygenFraction * scale;
    c.gammaStar = arrhenius(gammaStar25, gammaStarActivation, leafTemperature) * scale;
    c.km = c.kc * (1 + c.oxygen / c.ko);
    return c;
}

double lightLimitedJ(double ppfd) { return quantumYield * ppfd; }

double vcmaxTemperatureResponse(double leafTemperature) { return arrhenius(1, vcmaxActivation, leafTemperature); }

double jmaxTemperatureResponse(double leafTemperature)
{
    auto deactivation = [](double tk) {
        return 1 + std::exp((tk * jmaxEntropy - jmaxDeactivation) / (gasConstant * tk));
    };
    return arrhenius(1, jmaxActivation, leafTemperature) * deactivation(reference25K) /
           deactivation(kelvin(leafTemperature));
}

double aciStandardAssimilation(const AciStandardFitResult& fit, double ci)
{
    const Model m = modelOf(fit.settings);
    return netAssimilation(m, ci, fit.vcmax, fit.jmax, fit.rd, fit.tpu);
}

namespace {

AciStandardFitResult finish(AciStandardFitResult result, const Model& model);

// The fit itself; `extraStarts` are tried after the usual starting points.
AciStandardFitResult fitFrom(const std::vector<std::pair<double, double>>& points,
                             const AciStandardFitSettings& settings,
                             const std::vector<std::array<double, 4>>& extraStarts);

}  // namespace

namespace {

// S(v): the sum of squares with parameter k held at v and the free others refitted,
// from the last profile step's parameters and from the optimum; `warm` follows.
double profileSse(const Model& base, const std::vector<std::pair<double, double>>& points,
                  const std::array<double, 4>& optimum, std::array<double, 4>& warm, int k, double v)
{
    Model model = base;
    model.held[static_cast<std::size_t>(k)] = true;
    double best = std::numeric_limits<double>::infinity();
    std::array<double, 4> bestP = warm;
    const auto options = solverOptions();
    for (auto start : {warm, optimum}) {
        start[static_cast<std::size_t>(k)] = v;
        if (model.freeParameters() == 0) {
            best = sumOfSquares(model, points, start);
            bestP = start;
            break;
        }
        Fitting fitting(model, points, start);
        ceres::Solver::Summary summary;
        ceres::Solve(options, &fitting.problem, &summary);
        if (summary.termination_type == ceres::FAILURE)
            continue;
        const double sse = sumOfSquares(model, points, fitting.parameters());
        if (sse < best) {
            best = sse;
            bestP = fitting.parameters();
        }
    }
    if (std::isfinite(best))
        warm = bestP;
    return best;
}

// Rates are searched up to this bound (umol m-2 s-1), Rd within plus or minus its tenth:
// far beyond any leaf, so a profile still below the bound there never closes.
constexpr double largestRate = 1e5;

AciStandardFitResult withIntervals(AciStandardFitResult result, const std::vector<std::pair<double, double>>& points)
{
    if (!result.fitted || !result.settings.profileIntervals || result.points <= result.parameters)
        return result;
    const Model model = modelOf(result.settings);
    const std::array<double, 4> optimum{result.vcmax, result.jmax, result.rd, model.fitTPU ? result.tpu : 0};
    const std::array<double, 4> errors{result.vcmaxSE, result.jmaxSE, result.rdSE, result.tpuSE};
    const std::array<ProfileInterval*, 4> intervals{&result.vcmaxInterval, &result.jmaxInterval, &result.rdInterval,
                                                    &result.tpuInterval};
    const double threshold = profileThreshold(result.sse, result.points, result.parameters);
    for (int k = 0; k < 4; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (model.held[i] || (k == 3 && !model.fitTPU))
            continue;
        std::array<double, 4> warm = optimum;
        auto sse = [&](double v) { return profileSse(model, points, optimum, warm, k, v); };
        const double step = errors[i] > 0 ? errors[i] : 0.1 * std::abs(optimum[i]) + 1e-3;
        const double lowest = k == 2 ? -0.1 * largestRate : 0;
        const double highest = k == 2 ? 0.1 * largestRate : largestRate;
        *intervals[i] = profileInterval(sse, optimum[i], step, lowest, highest, threshold);
    }
    result.intervalsComputed = true;
    return result;
}

AciStandardFitResult fitWithoutIntervals(const std::vector<std::pair<double, double>>& points,
                                         const AciStandardFitSettings& settings);

}  // namespace

AciStandardFitResult fitAciStandard(const std::vector<std::pair<double, double>>& points,
                                    const AciStandardFitSettings& settings)
{
    return withIntervals(fitWithoutIntervals(points, settings), points);
}

namespace {

AciStandardFitResult fitWithoutIntervals(const std::vector<std::pair<double, double>>& points,
                                         const AciStandardFitSettings& settings)
{
    if (!settings.fitTPU || settings.heldTPU)
        return fitFrom(points, settings, {});
    // TPU only ever adds a limitation, so its fit starts from the optimum without it
    // as well (TPU then well above every gross rate) and is kept only where it is
    // better: with TPU free the sum of squares is never above the fit without it.
    AciStandardFitSettings withoutTPU = settings;
    withoutTPU.fitTPU = false;
    AciStandardFitResult plain = fitFrom(points, withoutTPU, {});
    std::vector<std::array<double, 4>> extra;
    if (plain.fitted) {
        double largestGross = 0;
        for (const auto& point : points)
            largestGross = std::max(largestGross, point.second + plain.rd);
        extra.push_back({plain.vcmax, plain.jmax, plain.rd, 2 * largestGross / tpuFactor + 1});
    }
    AciStandardFitResult withTPU = fitFrom(points, settings, extra);
    if (!plain.fitted || (withTPU.fitted && withTPU.sse < plain.sse))
        return withTPU;
    plain.tpuNotLimiting = true;
    return plain;
}

}  // namespace

namespace {

AciStandardFitResult fitFrom(const std::vector<std::pair<double, double>>& points,
                             const AciStandardFitSettings& settings,
                             const std::vector<std::array<double, 4>>& extraStarts)
{
    // Ceres reports a failed solve on the standard error stream as well; here every
    // failure reaches the user as the result's message, so its log stays quiet.
    static std::once_flag quietLog;
    std::call_once(quietLog, [] { FLAGS_minloglevel = google::GLOG_FATAL; });
    AciStandardFitResult result;
    result.settings = settings;
    result.points = static_cast<int>(points.size());

    if (!(settings.patm > 0) || !std::isfinite(settings.patm))
        return cannotFit(result, "Patm must be a positive number of kPa");
    if (!std::isfinite(settings.leafTemperature) || kelvin(settings.leafTemperature) <= 0)
        return cannotFit(result, "the leaf temperature is not usable");
    if (settings.gm && !(*settings.gm > 0 && std::isfinite(*settings.gm)))
        return cannotFit(result, "gm must be a positive number of mol m-2 s-1 bar-1");
    const Model model = modelOf(settings);
    result.tpuFitted = model.fitTPU;
    result.parameters = model.freeParameters();
    for (const auto& held : {settings.heldVcmax, settings.heldJmax, settings.heldRd, settings.heldTPU}) {
        if (held && !std::isfinite(*held))
            return cannotFit(result, "a held value is not a finite number");
    }
    if (settings.heldVcmax && !(*settings.heldVcmax > 0))
        return cannotFit(result, "a held Vcmax must be above 0");
    if (settings.heldJmax && !(*settings.heldJmax > 0))
        return cannotFit(result, "a held Jmax or J must be above 0");
    if (settings.heldTPU && !(*settings.heldTPU > 0))
        return cannotFit(result, "a held TPU must be above 0");
    result.constants = model.constants;
    result.jInsteadOfJmax = !model.ppfd;
    if (!model.ppfd)
        result.settings.ppfd.reset();

    for (const auto& [ci, a] : points) {
        if (!std::isfinite(ci) || !std::isfinite(a))
            return cannotFit(result, "a point's Ci or A is not a finite number");
    }
    // Standard errors need at least one degree of freedom left over.
    if (result.points <= result.parameters)
        return cannotFit(result, std::to_string(result.points) + (result.points == 1 ? " point for " : " points for ") +
                                     std::to_string(result.parameters) + " parameters; at least " +
                                     std::to_string(result.parameters + 1) + " are needed");

    auto starts = startingPoints(model, points);
    // The starts come from lines on the Ci basis; with gm the Rubisco rate needs a larger
    // Vcmax for the same curve, and where no point is Rubisco-limited by far larger.
    if (model.gm) {
        const std::size_t plain = starts.size();
        for (std::size_t k = 0; k < plain; ++k) {
            for (double factor : {3.0, 30.0}) {
                auto larger = starts[k];
                larger[0] *= factor;
                starts.push_back(larger);
            }
        }
    }
    starts.insert(starts.end(), extraStarts.begin(), extraStarts.end());
    const std::array<std::optional<double>, 4> held{settings.heldVcmax, settings.heldJmax, settings.heldRd,
                                                    settings.heldTPU};
    for (auto& start : starts) {
        for (std::size_t k = 0; k < 4; ++k) {
            if (held[k])
                start[k] = *held[k];
        }
    }
    result.starts = static_cast<int>(starts.size());
    std::optional<std::array<double, 4>> best;
    double bestSse = std::numeric_limits<double>::infinity();
    const auto options = solverOptions();
    for (const auto& start : starts) {
        Fitting fitting(model, points, start);
        ceres::Solver::Summary summary;
        ceres::Solve(options, &fitting.problem, &summary);
        if (summary.termination_type != ceres::CONVERGENCE)
            continue;
        const auto p = fitting.parameters();
        const double sse = sumOfSquares(model, points, p);
        if (!std::isfinite(sse))
            continue;
        ++result.convergedStarts;
        if (sse < bestSse) {
            bestSse = sse;
            best = p;
            result.iterations = static_cast<int>(summary.iterations.size()) - 1;
        }
    }
    if (!best) {
        // At low light J cannot pass its light-limited ceiling, whatever Jmax: a curve
        // that needs more drives Jmax without bound. Such a curve is fitted for J
        // itself, as without a light value, and says which light it could not meet.
        if (model.ppfd && !settings.heldJmax) {
            AciStandardFitSettings withoutLight = settings;
            withoutLight.ppfd.reset();
            AciStandardFitResult j = fitFrom(points, withoutLight, {});
            if (j.fitted && j.jmax >= lightLimitedJ(*model.ppfd)) {
                j.lightCeilingExceeded = *model.ppfd;
                return j;
            }
        }
        return cannotFit(result, "the solver did not converge from any of " + std::to_string(result.starts) +
                                     " starting points");
    }

    const auto& p = *best;
    result.vcmax = p[0];
    result.jmax = p[1];
    result.rd = p[2];
    result.tpu = model.fitTPU ? p[3] : 0;
    result.sse = bestSse;
    result.rmse = std::sqrt(bestSse / result.points);

    for (const auto& point : points) {
        bool noRoot = false;
        result.limitations.push_back(limitationAt(model, point.first, p, noRoot));
        result.pointsWithoutRate += noRoot ? 1 : 0;
    }

    const double residualVariance = bestSse / (result.points - result.parameters);
    if (model.anyHeld()) {
        const auto errors = heldStandardErrors(model, points, p, residualVariance);
        if (!errors)
            return cannotFit(result, undeterminedParameter(result));
        result.vcmaxSE = (*errors)[0];
        result.jmaxSE = (*errors)[1];
        result.rdSE = (*errors)[2];
        result.tpuSE = (*errors)[3];
        return finish(result, model);
    }

    // Standard errors: (J'J)^-1 at the optimum, scaled by the residual variance.
    Fitting atOptimum(model, points, p);
    if (!wellConditioned(atOptimum, settings.fitTPU))
        return cannotFit(result, undeterminedParameter(result));
    ceres::Covariance::Options covarianceOptions;
    covarianceOptions.algorithm_type = ceres::DENSE_SVD;
    ceres::Covariance covariance(covarianceOptions);
    std::vector<std::pair<const double*, const double*>> blocks{{atOptimum.main.data(), atOptimum.main.data()}};
    if (settings.fitTPU)
        blocks.emplace_back(&atOptimum.tpu, &atOptimum.tpu);
    std::array<double, 9> mainCovariance{};
    double tpuVariance = 0;
    if (!covariance.Compute(blocks, &atOptimum.problem) ||
        !covariance.GetCovarianceBlock(atOptimum.main.data(), atOptimum.main.data(), mainCovariance.data()) ||
        (settings.fitTPU && !covariance.GetCovarianceBlock(&atOptimum.tpu, &atOptimum.tpu, &tpuVariance)))
        return cannotFit(result, undeterminedParameter(result));
    auto standardError = [&](double variance) { return std::sqrt(std::max(variance, 0.0) * residualVariance); };
    result.vcmaxSE = standardError(mainCovariance[0]);
    result.jmaxSE = standardError(mainCovariance[4]);
    result.rdSE = standardError(mainCovariance[8]);
    result.tpuSE = settings.fitTPU ? standardError(tpuVariance) : 0;
    return finish(result, model);
}

// The 25 degrees C values and the transition of a fit whose estimates are known.
AciStandardFitResult finish(AciStandardFitResult result, const Model& model)
{
    const AciStandardFitSettings& settings = result.settings;

    result.vcmax25 = result.vcmax / vcmaxTemperatureResponse(settings.leafTemperature);
    if (!result.jInsteadOfJmax)
        result.jmax25 = result.jmax / jmaxTemperatureResponse(settings.leafTemperature);

    // Where Vcmax (c - G) / (c + Km) = J/4 (c - G) / (c + 2G), away from c = G.
    const double j = model.ppfd ? electronTransport(result.jmax, *model.ppfd) : result.jmax;
    const double quarterJ = j / electronsPerCarboxylation;
    const double gs = model.constants.gammaStar;
    const double crossing = (quarterJ * model.constants.km - 2 * gs * result.vcmax) / (result.vcmax - quarterJ);
    if (std::isfinite(crossing) && crossing > gs) {
        // With gm the crossing is a chloroplastic Cc; Ci is Cc + A / gm there.
        const double ci = model.gm ? crossing + (result.vcmax * (crossing - gs) / (crossing + model.constants.km) -
                                                 result.rd) /
                                                    *model.gm
                                   : crossing;
        result.transitionCi = ci / model.pressureScale;
    }

    result.fitted = true;
    return result;
}

}  // namespace

}  // namespace calvane
