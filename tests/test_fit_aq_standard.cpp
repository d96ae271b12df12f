// The two standard light-response fits: on every real curve of tests/data/aq with at
// least 5 points each must reach the best sum of squares that an independent
// many-start search finds, and on curves made from the models they recover the
// parameters and say when the optimum is ill-defined.

#include "TestSupport.h"
#include "fit/AqStandardFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <sstream>

using namespace calvane;
using calvane::test::dataFile;
using calvane::test::near;

namespace {

using Points = std::vector<std::pair<double, double>>;

// The window's default Par Abs: Qa = 0.85 PAR.
constexpr double parAbs = 0.85;

// One curve file of tests/data/aq as the window's point set: "PAR,A" lines, maybe
// after a header; Qa = Par Abs * PAR, a point kept where Qa > 0 or A is not 0.
Points readCurve(const std::filesystem::path& file)
{
    Points points;
    for (const auto& [par, a] : test::curvePoints(file)) {
        const double qa = parAbs * par;
        if (qa > 0 || a != 0)
            points.emplace_back(qa, a);
    }
    return points;
}

std::vector<std::pair<std::string, Points>> realCurves()
{
    std::vector<std::pair<std::string, Points>> curves;
    for (const auto& entry : std::filesystem::directory_iterator(dataFile("aq"))) {
        if (entry.path().filename() == "index.csv")
            continue;
        Points points = readCurve(entry.path());
        if (points.size() >= 5)
            curves.emplace_back(entry.path().filename().string(), std::move(points));
    }
    std::sort(curves.begin(), curves.end());
    return curves;
}

// --- The reference: the models written out plainly, searched from many starts ---------

double largestMagnitude(const Points& points)
{
    double m = 0;
    for (const auto& p : points)
        m = std::max(m, std::abs(p.second));
    return m;
}

// Calvane's model without its additive constant; nothing where the power has no value
// (a negative light with a non-integral convexity makes the model's whole A 0).
std::optional<double> calvaneRise(double x, double aqe, double amax, double theta)
{
    const long double t = static_cast<long double>(aqe) * x / amax;
    if (t < 0)
        return std::nullopt;
    return static_cast<double>(aqe * x / std::pow(1 + std::pow(t, static_cast<long double>(theta)), 1.0L / theta));
}

double hyperbolaGross(double x, double phi, double amax, double theta)
{
    const double s = phi * x + amax;
    if (theta < 1e-12)
        return phi * x * amax / s;
    return (s - std::sqrt(std::max(s * s - 4 * theta * phi * x * amax, 0.0))) / (2 * theta);
}

// The sum of squares with the constant term (A0, or -Rd) at its best for the other
// three parameters: the mean of y minus the rest of the model.
double profiledSse(const Points& points, const std::function<std::optional<double>(double)>& rest)
{
    double sum = 0;
    int n = 0;
    for (const auto& [x, y] : points) {
        if (const auto r = rest(x)) {
            sum += y - *r;
            ++n;
        }
    }
    const double constant = n ? sum / n : 0;
    double sse = 0;
    for (const auto& [x, y] : points) {
        const auto r = rest(x);
        const double e = r ? constant + *r - y : -y;
        sse += e * e;
    }
    return std::isfinite(sse) ? sse : std::numeric_limits<double>::infinity();
}

using Objective = std::function<double(const std::array<double, 3>&)>;

// Nelder-Mead in three dimensions, restarted from its own answer until that stops
// improving.
std::pair<std::array<double, 3>, double> nelderMead(const Objective& f, std::array<double, 3> start)
{
    double bestValue = f(start);
    for (int restart = 0; restart < 6; ++restart) {
        std::array<std::array<double, 3>, 4> simplex{start, start, start, start};
        for (int k = 0; k < 3; ++k)
            simplex[k + 1][k] += 0.3;
        std::array<double, 4> value{};
        for (int i = 0; i < 4; ++i)
            value[i] = f(simplex[i]);
        for (int iteration = 0; iteration < 1500; ++iteration) {
            std::array<int, 4> order{0, 1, 2, 3};
            std::sort(order.begin(), order.end(), [&](int a, int b) { return value[a] < value[b]; });
            const int best = order[0], worst = order[3], second = order[2];
            if (value[worst] - value[best] <= 1e-15 * (1 + std::abs(value[best])))
                break;
            std::array<double, 3> centre{};
            for (int i : {order[0], order[1], order[2]}) {
                for (int k = 0; k < 3; ++k)
                    centre[k] += simplex[i][k] / 3;
            }
            auto along = [&](double step) {
                std::array<double, 3> p;
                for (int k = 0; k < 3; ++k)
                    p[k] = centre[k] + step * (simplex[worst][k] - centre[k]);
                return p;
            };
            const auto reflected = along(-1);
            const double fr = f(reflected);
            if (fr < value[best]) {
                const auto expanded = along(-2);
                const double fe = f(expanded);
                if (fe < fr) {
                    simplex[worst] = expanded;
                    value[worst] = fe;
                } else {
                    simplex[worst] = reflected;
                    value[worst] = fr;
                }
            } else if (fr < value[second]) {
                simplex[worst] = reflected;
                value[worst] = fr;
            } else {
                const auto contracted = along(fr < value[worst] ? -0.5 : 0.5);
                const double fc = f(contracted);
                if (fc < std::min(fr, value[worst])) {
                    simplex[worst] = contracted;
                    value[worst] = fc;
                } else {
                    for (int i = 0; i < 4; ++i) {
                        if (i == best)
                            continue;
                        for (int k = 0; k < 3; ++k)
                            simplex[i][k] = simplex[best][k] + 0.5 * (simplex[i][k] - simplex[best][k]);
                        value[i] = f(simplex[i]);
                    }
                }
            }
        }
        const int best = static_cast<int>(std::min_element(value.begin(), value.end()) - value.begin());
        const bool improved = value[best] < bestValue * (1 - 1e-12);
        if (value[best] <= bestValue) {
            bestValue = value[best];
            start = simplex[best];
        }
        if (!improved && restart > 0)
            break;
    }
    return {start, bestValue};
}

std::array<double, 3> lastReferencePoint;  // where the last reference search ended

// A dense scan of the three nonlinear parameters, then Nelder-Mead from the best four
// cells of the scan: the best sum of squares found.
double manyStartBest(const Objective& f, const std::array<std::vector<double>, 3>& grid)
{
    std::vector<std::pair<double, std::array<double, 3>>> cells;
    for (double a : grid[0])
        for (double b : grid[1])
            for (double c : grid[2])
                cells.push_back({f({a, b, c}), {a, b, c}});
    std::partial_sort(cells.begin(), cells.begin() + 4, cells.end(),
                      [](const auto& l, const auto& r) { return l.first < r.first; });
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 4; ++i) {
        const auto [at, value] = nelderMead(f, cells[i].second);
        if (value < best) {
            best = value;
            lastReferencePoint = at;
        }
    }
    return best;
}

std::vector<double> span(double from, double to, int count)
{
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(from + (to - from) * i / (count - 1));
    return values;
}

// Over ln AQE, ln Amax and ln theta, wider than the fit's own search box.
double calvaneReference(const Points& points)
{
    const double m = largestMagnitude(points) + 1;
    const Objective f = [&points, m](const std::array<double, 3>& u) {
        const double aqe = std::exp(std::clamp(u[0], -20.0, std::log(100.0)));
        const double amax = std::exp(std::clamp(u[1], -20.0, std::log(1e6 * m)));
        const double theta = std::exp(std::clamp(u[2], std::log(1e-4), std::log(1e4)));
        return profiledSse(points, [&](double x) { return calvaneRise(x, aqe, amax, theta); });
    };
    return manyStartBest(f, {span(std::log(1e-3), std::log(1.0), 10), span(std::log(0.1 * m), std::log(100 * m), 10),
                             span(std::log(0.05), std::log(100.0), 10)});
}

// Over ln phi, ln Amax and theta, folded back into [0, 1].
double hyperbolaReference(const Points& points)
{
    const double m = largestMagnitude(points) + 1;
    const Objective f = [&points, m](const std::array<double, 3>& u) {
        const double phi = std::exp(std::clamp(u[0], -20.0, std::log(100.0)));
        const double amax = std::exp(std::clamp(u[1], -20.0, std::log(1e6 * m)));
        const double theta = std::clamp(u[2], 0.0, 1.0);
        return profiledSse(points,
                           [&](double x) -> std::optional<double> { return hyperbolaGross(x, phi, amax, theta); });
    };
    return manyStartBest(f, {span(std::log(1e-3), std::log(1.0), 10), span(std::log(0.1 * m), std::log(100 * m), 10),
                             span(0.0, 1.0, 10)});
}

// The fit the window runs from empty fields: Amax at the largest A, AQE and A0 at 0,
// Convexity at 3.
AqCalvaneStart emptyFieldStart(const Points& points)
{
    AqCalvaneStart start;
    start.amax = -std::numeric_limits<double>::infinity();
    for (const auto& p : points)
        start.amax = std::max(start.amax, p.second);
    start.convexity = 3;
    return start;
}

double sseOf(const Points& points, const std::function<double(double)>& model)
{
    double sse = 0;
    for (const auto& [x, y] : points)
        sse += (model(x) - y) * (model(x) - y);
    return sse;
}

}  // namespace

TEST(AqStandardFit, BothFitsReachTheBestOptimumOnEveryRealCurve)
{
    const auto curves = realCurves();
    ASSERT_GE(curves.size(), 125u);
    double worstCalvane = 0, worstHyperbola = 0;
    int illCalvane = 0, illHyperbola = 0;
    for (const auto& [name, points] : curves) {
        SCOPED_TRACE(name);
        // The intervals have a test of their own; here only the optimum counts.
        AqCalvaneStart start = emptyFieldStart(points);
        start.profileIntervals = false;
        const auto calvane = fitAqCalvaneOptimum(points, start);
        AqHyperbolaSettings plain;
        plain.profileIntervals = false;
        const auto hyperbola = fitAqHyperbola(points, plain);
        ASSERT_TRUE(calvane.fitted) << calvane.message;
        ASSERT_TRUE(hyperbola.fitted) << hyperbola.message;

        // The reported SSE is the SSE of the reported estimates.
        EXPECT_TRUE(near(calvane.sse,
                         sseOf(points,
                               [&](double x) {
                                   return aqCalvaneResponse(x, calvane.aqe.value, calvane.amax.value,
                                                            calvane.convexity.value, calvane.a0.value);
                               }),
                         1e-9 * (1 + calvane.sse)));
        EXPECT_TRUE(near(hyperbola.rmse, std::sqrt(hyperbola.sse / points.size()), 1e-12));

        const double calvaneBest = calvaneReference(points);
        const auto calvaneAt = lastReferencePoint;
        const double hyperbolaBest = hyperbolaReference(points);
        const auto hyperbolaAt = lastReferencePoint;
        const double calvaneRatio = calvane.sse / calvaneBest;
        const double hyperbolaRatio = hyperbola.sse / hyperbolaBest;
        EXPECT_LE(calvaneRatio, 1.001) << calvane.sse << " against " << calvaneBest << " at AQE " << calvane.aqe.value
                                       << ", Amax " << calvane.amax.value << ", Convexity " << calvane.convexity.value
                                       << "; reference at " << std::exp(calvaneAt[0]) << ", " << std::exp(calvaneAt[1])
                                       << ", " << std::exp(calvaneAt[2]);
        EXPECT_LE(hyperbolaRatio, 1.001) << hyperbola.sse << " against " << hyperbolaBest << " at Phi "
                                         << hyperbola.phi.value << ", Amax " << hyperbola.amax.value << ", Theta "
                                         << hyperbola.theta.value << "; reference at " << std::exp(hyperbolaAt[0])
                                         << ", " << std::exp(hyperbolaAt[1]) << ", " << hyperbolaAt[2];
        worstCalvane = std::max(worstCalvane, calvaneRatio);
        worstHyperbola = std::max(worstHyperbola, hyperbolaRatio);
        illCalvane += calvane.wellDefined ? 0 : 1;
        illHyperbola += hyperbola.wellDefined ? 0 : 1;
        // A well-defined optimum has every standard error.
        if (calvane.wellDefined) {
            EXPECT_TRUE(calvane.aqe.standardError && calvane.amax.standardError && calvane.convexity.standardError &&
                        calvane.a0.standardError);
        }
    }
    std::printf("%zu curves; worst SSE over the best found: Calvane's model %.8f, hyperbola %.8f; "
                "ill-defined: %d, %d\n",
                curves.size(), worstCalvane, worstHyperbola, illCalvane, illHyperbola);
}

TEST(AqStandardFit, RecoversTheParametersOfCurvesMadeFromTheModels)
{
    const std::vector<double> lights{0, 20, 50, 100, 150, 250, 400, 600, 900, 1200, 1500, 1800};
    Points calvanePoints, hyperbolaPoints;
    for (double x : lights) {
        calvanePoints.emplace_back(x, aqCalvaneResponse(x, 0.06, 22, 1.7, -1.8));
        hyperbolaPoints.emplace_back(x, aqHyperbolaResponse(x, 0.07, 25, 0.8, 1.5));
    }
    const auto calvane = fitAqCalvaneOptimum(calvanePoints, AqCalvaneStart{0.02, 10, 3, 0});
    ASSERT_TRUE(calvane.fitted && calvane.wellDefined) << calvane.message;
    EXPECT_TRUE(near(calvane.aqe.value, 0.06, 1e-6));
    EXPECT_TRUE(near(calvane.amax.value, 22, 1e-5));
    EXPECT_TRUE(near(calvane.convexity.value, 1.7, 1e-5));
    EXPECT_TRUE(near(calvane.a0.value, -1.8, 1e-6));
    EXPECT_LT(calvane.sse, 1e-15);

    const auto hyperbola = fitAqHyperbola(hyperbolaPoints);
    ASSERT_TRUE(hyperbola.fitted && hyperbola.wellDefined) << hyperbola.message;
    EXPECT_TRUE(near(hyperbola.phi.value, 0.07, 1e-6));
    EXPECT_TRUE(near(hyperbola.amax.value, 25, 1e-5));
    EXPECT_TRUE(near(hyperbola.theta.value, 0.8, 1e-6));
    EXPECT_TRUE(near(hyperbola.rd.value, 1.5, 1e-6));
    // The closed-form compensation point is where the curve crosses zero.
    ASSERT_TRUE(hyperbola.lightCompensation);
    EXPECT_TRUE(near(aqHyperbolaResponse(*hyperbola.lightCompensation, 0.07, 25, 0.8, 1.5), 0, 1e-9));
    EXPECT_GT(*hyperbola.lightCompensation, 0);
}

TEST(AqStandardFit, HyperbolaTakesItsRectangularLimitExactly)
{
    for (double x : {0.0, 10.0, 300.0, 2000.0}) {
        const double rectangular = 0.05 * x * 20 / (0.05 * x + 20) - 1;
        EXPECT_DOUBLE_EQ(aqHyperbolaResponse(x, 0.05, 20, 0, 1), rectangular);
        EXPECT_TRUE(near(aqHyperbolaResponse(x, 0.05, 20, 1e-9, 1), rectangular, 1e-6));
    }
    // theta = 1 is the Blackman corner: the smaller of phi x and Amax.
    EXPECT_TRUE(near(aqHyperbolaResponse(100, 0.05, 20, 1, 0), 5, 1e-12));
    EXPECT_TRUE(near(aqHyperbolaResponse(1000, 0.05, 20, 1, 0), 20, 1e-12));

    // A rectangular hyperbola's points take the fit to theta = 0, a bound it reports.
    Points points;
    for (double x : {0.0, 30.0, 80.0, 150.0, 300.0, 600.0, 1000.0, 1500.0})
        points.emplace_back(x, 0.05 * x * 20 / (0.05 * x + 20) - 1);
    const auto fit = fitAqHyperbola(points);
    ASSERT_TRUE(fit.fitted) << fit.message;
    EXPECT_TRUE(near(fit.theta.value, 0, 1e-6));
    EXPECT_TRUE(fit.theta.atBound);
    EXPECT_FALSE(fit.wellDefined);
    EXPECT_NE(fit.message.find("Theta"), std::string::npos) << fit.message;
    EXPECT_LT(fit.sse, 1e-12);
}

TEST(AqStandardFit, FixedParametersStayAtTheirFieldValues)
{
    const auto curves = realCurves();
    const Points& points = curves.front().second;
    AqCalvaneStart start = emptyFieldStart(points);
    start.convexity = 2.5;
    start.convexityFixed = true;
    start.a0 = -1.25;
    start.a0Fixed = true;
    const auto fixedFit = fitAqCalvaneOptimum(points, start);
    ASSERT_TRUE(fixedFit.fitted) << fixedFit.message;
    EXPECT_EQ(fixedFit.convexity.value, 2.5);
    EXPECT_EQ(fixedFit.a0.value, -1.25);
    EXPECT_TRUE(fixedFit.convexity.fixed && fixedFit.a0.fixed);
    EXPECT_FALSE(fixedFit.convexity.standardError || fixedFit.a0.standardError);
    EXPECT_EQ(fixedFit.freeParameters, 2);
    // Holding two parameters can only cost, never gain.
    const auto freeFit = fitAqCalvaneOptimum(points, emptyFieldStart(points));
    EXPECT_GE(fixedFit.sse, freeFit.sse);

    // Fixed values the model has no use for are refused, not fitted.
    start.convexity = 0;
    const auto refused = fitAqCalvaneOptimum(points, start);
    EXPECT_FALSE(refused.fitted);
    EXPECT_EQ(refused.message, "Cannot fit: a fixed Convexity must be above 0");
}

TEST(AqStandardFit, SaysWhenTheOptimumIsIllDefinedOrThereIsNothingToFit)
{
    // A straight line has no saturation: Amax runs far away.
    Points line;
    for (double x : {0.0, 50.0, 100.0, 200.0, 400.0, 800.0, 1200.0, 1600.0})
        line.emplace_back(x, -1 + 0.01 * x + (static_cast<int>(x) % 100 == 0 ? 0.05 : -0.05));
    const auto calvane = fitAqCalvaneOptimum(line, emptyFieldStart(line));
    ASSERT_TRUE(calvane.fitted) << calvane.message;
    EXPECT_FALSE(calvane.wellDefined);
    EXPECT_NE(calvane.message.find("Amax"), std::string::npos) << calvane.message;
    const auto hyperbola = fitAqHyperbola(line);
    ASSERT_TRUE(hyperbola.fitted) << hyperbola.message;
    EXPECT_FALSE(hyperbola.wellDefined);

    const Points four{{0, -1}, {100, 3}, {500, 8}, {1500, 10}};
    EXPECT_EQ(fitAqHyperbola(four).message, "Cannot fit: 4 points for 4 free parameters; at least 5 are needed");
    EXPECT_FALSE(fitAqCalvaneOptimum(four, emptyFieldStart(four)).fitted);
    Points withNaN = line;
    withNaN[2].second = std::nan("");
    EXPECT_FALSE(fitAqHyperbola(withNaN).fitted);
}

TEST(AqStandardFit, StandardErrorsMatchTheCurvatureOfTheSumOfSquares)
{
    // (J'J)^-1 s^2 with J by central differences of the plainly written model.
    const auto curves = realCurves();
    const auto it = std::find_if(curves.begin(), curves.end(),
                                 [](const auto& c) { return c.first == "pecan_1aq.csv"; });
    ASSERT_NE(it, curves.end());
    const Points& points = it->second;
    const auto fit = fitAqHyperbola(points);
    ASSERT_TRUE(fit.fitted && fit.wellDefined) << fit.message;
    const std::array<double, 4> p{fit.phi.value, fit.amax.value, fit.theta.value, fit.rd.value};
    auto model = [](double x, const std::array<double, 4>& q) { return hyperbolaGross(x, q[0], q[1], q[2]) - q[3]; };
    const std::size_t n = points.size();
    std::vector<std::array<double, 4>> jacobian(n);
    for (int k = 0; k < 4; ++k) {
        const double h = 1e-6 * std::max(1.0, std::abs(p[k]));
        auto up = p, down = p;
        up[k] += h;
        down[k] -= h;
        for (std::size_t i = 0; i < n; ++i)
            jacobian[i][k] = (model(points[i].first, up) - model(points[i].first, down)) / (2 * h);
    }
    // Gauss-Jordan inverse of J'J.
    std::array<std::array<double, 8>, 4> m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            for (std::size_t i = 0; i < n; ++i)
                m[r][c] += jacobian[i][r] * jacobian[i][c];
        m[r][4 + r] = 1;
    }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r) {
            if (std::abs(m[r][c]) > std::abs(m[pivot][c]))
                pivot = r;
        }
        std::swap(m[c], m[pivot]);
        const double d = m[c][c];
        for (double& v : m[c])
            v /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == c)
                continue;
            const double f = m[r][c];
            for (int k = 0; k < 8; ++k)
                m[r][k] -= f * m[c][k];
        }
    }
    const double variance = fit.sse / (n - 4);
    const std::array<const AqFitEstimate*, 4> estimates{&fit.phi, &fit.amax, &fit.theta, &fit.rd};
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(estimates[k]->standardError);
        const double expected = std::sqrt(m[k][4 + k] * variance);
        EXPECT_TRUE(near(*estimates[k]->standardError, expected, 1e-4 * expected)) << k;
    }
}

// The hyperbola's exact profile intervals: each closed end within 1 % of the interval's
// width, open ends (empty in the reference) open, on at least 95 % of the curves.
TEST(AqStandardFit, HyperbolaIntervalsMatchTheReferenceProfile)
{
    const auto rows = test::csvTable("reference/aq_nrh_profile.csv");
    ASSERT_GE(rows.size(), 19u);
    int agree = 0;
    for (const auto& row : rows) {
        const Points points = readCurve(dataFile("aq/" + row.at("file")));
        const AqHyperbolaFit fit = fitAqHyperbola(points);
        ASSERT_TRUE(fit.fitted) << row.at("file") << ": " << fit.message;
        EXPECT_TRUE(near(fit.sse, std::stod(row.at("S_min")), 1e-6 * fit.sse)) << row.at("file");
        bool same = true;
        std::ostringstream why;
        for (const auto& [name, estimate] : {std::pair<std::string, const AqFitEstimate*>{"phi", &fit.phi},
                                             {"amax", &fit.amax},
                                             {"theta", &fit.theta},
                                             {"rd", &fit.rd}}) {
            const std::string prefix = name + "_";  // clang before 16 cannot capture a structured binding
            auto end = [&](const std::string& column) {
                const std::string& text = row.at(prefix + column);
                return text.empty() ? std::nullopt : std::optional<double>(std::stod(text));
            };
            const auto lo = end("lower"), hi = end("upper");
            const ProfileInterval mine = estimate->interval.value_or(ProfileInterval{});
            // An open side counts as reaching the estimate, for the width.
            const double width = hi.value_or(estimate->value) - lo.value_or(estimate->value);
            auto close = [&](const std::optional<double>& a, const std::optional<double>& b) {
                return a.has_value() == b.has_value() && (!a || std::abs(*a - *b) <= 0.01 * width);
            };
            if (!estimate->interval || !close(mine.lower, lo) || !close(mine.upper, hi)) {
                same = false;
                why << " " << name << " [" << mine.lower.value_or(NAN) << ", " << mine.upper.value_or(NAN) << "] vs ["
                    << lo.value_or(NAN) << ", " << hi.value_or(NAN) << "]";
            }
        }
        if (same)
            ++agree;
        else
            std::cout << "profile differs: " << row.at("file") << ":" << why.str() << '\n';
    }
    EXPECT_GE(agree, 0.95 * static_cast<double>(rows.size()));
}

// Held at the free optimum's Rd, the hyperbola reaches the same optimum in the others;
// the held estimate has no standard error and no interval. Values it has no use for
// are refused.
TEST(AqStandardFit, HyperbolaHoldsAValueAndFitsTheRest)
{
    const Points points = readCurve(dataFile("aq/ngeearctic_1876.csv"));
    AqHyperbolaSettings plain;
    plain.profileIntervals = false;
    const AqHyperbolaFit free = fitAqHyperbola(points, plain);
    ASSERT_TRUE(free.fitted && free.wellDefined) << free.message;
    AqHyperbolaSettings held = plain;
    held.rd = free.rd.value;
    held.profileIntervals = true;
    const AqHyperbolaFit fit = fitAqHyperbola(points, held);
    ASSERT_TRUE(fit.fitted) << fit.message;
    EXPECT_EQ(fit.freeParameters, 3);
    EXPECT_EQ(fit.rd.value, free.rd.value);
    EXPECT_TRUE(fit.rd.fixed && !fit.rd.standardError && !fit.rd.interval);
    for (const auto& [mine, theirs] :
         {std::pair{fit.phi.value, free.phi.value}, std::pair{fit.amax.value, free.amax.value},
          std::pair{fit.theta.value, free.theta.value}})
        EXPECT_TRUE(near(mine, theirs, 1e-5 * std::abs(theirs))) << mine << " against " << theirs;
    // The free estimates get their intervals around them.
    ASSERT_TRUE(fit.phi.interval && fit.phi.interval->lower && fit.phi.interval->upper);
    EXPECT_LT(*fit.phi.interval->lower, fit.phi.value);
    EXPECT_GT(*fit.phi.interval->upper, fit.phi.value);

    held.rd.reset();
    held.theta = 1.5;
    const AqHyperbolaFit refused = fitAqHyperbola(points, held);
    EXPECT_FALSE(refused.fitted);
    EXPECT_EQ(refused.message, "Cannot fit: a held Theta must lie between 0 and 1");
}
