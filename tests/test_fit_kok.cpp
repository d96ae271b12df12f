// Respiration in the light by the Kok line: against the field's reference on real
// light curves (tests/data/reference/README.md), and its refusals.

#include "TestSupport.h"
#include "fit/KokRespiration.h"

#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>

using namespace calvane;
using calvane::test::curvePoints;
using calvane::test::dataFile;
using calvane::test::near;

namespace {

using Points = std::vector<std::pair<double, double>>;

struct ReferenceRow {
    std::string file;
    int inRange = 0;
    double rd = 0, slope = 0;
    std::optional<double> rdSE, slopeSE;
};

std::optional<double> numberOrNone(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    return std::stod(text);
}

std::vector<ReferenceRow> readReference()
{
    std::ifstream in(dataFile("reference/aq_kok.csv"));
    std::string line;
    std::getline(in, line);  // file,n_points,ppfd_lower,ppfd_upper,n_in_range,par_in_range,intercept,
                             // intercept_se,Rd,slope,slope_se,r_squared,flags
    std::vector<ReferenceRow> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            f.push_back(field);
        f.resize(13);
        rows.push_back(
            {f[0], std::stoi(f[4]), std::stod(f[8]), std::stod(f[9]), numberOrNone(f[7]), numberOrNone(f[10])});
    }
    return rows;
}

}  // namespace

// Rd within 0.01 and the slope within 1 % on the reference's curves; the points used and
// the standard errors (none with two points) as the reference has them.
TEST(KokRespiration, AgreesWithTheReferenceOnRealCurves)
{
    const auto reference = readReference();
    ASSERT_EQ(reference.size(), 22u);
    for (const auto& r : reference) {
        SCOPED_TRACE(r.file);
        const auto fit = fitKok(curvePoints(dataFile("aq/" + r.file)), KokSettings{});
        ASSERT_TRUE(fit.fitted) << fit.message;
        EXPECT_EQ(fit.points, r.inRange);
        EXPECT_EQ(fit.used.size(), static_cast<std::size_t>(r.inRange));
        for (const auto& [q, a] : fit.used)
            EXPECT_TRUE(q > 40 && q < 100) << q;
        EXPECT_TRUE(near(fit.rd, r.rd, 0.01));
        EXPECT_TRUE(near(fit.slope, r.slope, 0.01 * std::abs(r.slope)));
        ASSERT_EQ(fit.rdSE.has_value(), r.rdSE.has_value());
        ASSERT_EQ(fit.slopeSE.has_value(), r.slopeSE.has_value());
        if (r.rdSE) {
            EXPECT_TRUE(near(*fit.rdSE, *r.rdSE, 0.01 * *r.rdSE));
            EXPECT_TRUE(near(*fit.slopeSE, *r.slopeSE, 0.01 * *r.slopeSE));
        }
    }
}

// The window is strict at both ends and follows the settings; two points give a line
// without standard errors.
TEST(KokRespiration, WindowAndTwoPoints)
{
    const Points points{{0, -2}, {40, 0.1}, {50, 0.5}, {80, 2}, {100, 2.6}, {400, 8}};
    const auto two = fitKok(points, KokSettings{});
    ASSERT_TRUE(two.fitted) << two.message;
    EXPECT_EQ(two.used, (Points{{50, 0.5}, {80, 2}}));
    EXPECT_DOUBLE_EQ(two.slope, 0.05);
    EXPECT_DOUBLE_EQ(two.rd, 2);
    EXPECT_FALSE(two.rdSE || two.slopeSE);
    EXPECT_EQ(two.message, "Fitted to 2 points with a light between 40 and 100; no standard errors");

    const auto wider = fitKok(points, KokSettings{30, 101});
    ASSERT_TRUE(wider.fitted) << wider.message;
    EXPECT_EQ(wider.points, 4);
    ASSERT_TRUE(wider.rdSE && wider.slopeSE);
    EXPECT_GT(*wider.rdSE, 0);
    EXPECT_GT(*wider.slopeSE, 0);
}

TEST(KokRespiration, RefusesWhatItCannotFit)
{
    auto message = [](const Points& points, KokSettings settings = {}) {
        const auto fit = fitKok(points, settings);
        EXPECT_FALSE(fit.fitted);
        return fit.message;
    };
    EXPECT_EQ(message({{0, -2}, {40, 0}, {100, 3}, {400, 8}}),
              "Cannot fit: 0 points have a light between 40 and 100; at least 2 are needed");
    EXPECT_EQ(message({{0, -2}, {60, 1}, {400, 8}}),
              "Cannot fit: 1 point has a light between 40 and 100; at least 2 are needed");
    EXPECT_EQ(message({{60, 1}, {60, 1.2}}),
              "Cannot fit: the points between 40 and 100 share one light, so they fix no line");
    EXPECT_EQ(message({{60, 1}, {70, NAN}, {80, 2}}), "Cannot fit: a point's light or A is not a finite number");
    EXPECT_EQ(message({{60, 1}, {80, 2}}, KokSettings{100, 40}),
              "Cannot fit: the light window needs a lower limit below its upper limit");
}
