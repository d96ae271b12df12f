// The standard A/Ci fit against the field's reference implementation on real
// curves, and on curves made from the model where the answer is known.

#include "TestSupport.h"
#include "fit/AciStandardFit.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

using namespace calvane;
using calvane::test::curvePoints;
using calvane::test::dataFile;
using calvane::test::near;

namespace {

using Points = std::vector<std::pair<double, double>>;

struct ReferenceRow {
    std::string file;
    double tleaf, ppfd, vcmax, vcmaxSE, jmax, jmaxSE, rd, rdSE, rmse, transition, vcmax25, jmax25;
};

std::vector<ReferenceRow> readReference()
{
    std::ifstream in(dataFile("reference/aci_standard_fit.csv"));
    std::vector<ReferenceRow> rows;
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        ReferenceRow r;
        fields >> r.file >> r.tleaf >> r.ppfd >> r.vcmax >> r.vcmaxSE >> r.jmax >> r.jmaxSE >> r.rd >> r.rdSE >>
            r.rmse >> r.transition >> r.vcmax25 >> r.jmax25;
        if (fields)
            rows.push_back(r);
    }
    return rows;
}

// A curve made from the model itself at the given parameters.
Points modelCurve(const AciStandardFitSettings& settings, double vcmax, double jmaxOrJ, double rd, double tpu)
{
    AciStandardFitResult truth;
    truth.settings = settings;
    truth.vcmax = vcmax;
    truth.jmax = jmaxOrJ;
    truth.rd = rd;
    truth.tpu = tpu;
    Points points;
    for (double ci : {40.0, 70.0, 100.0, 150.0, 200.0, 260.0, 330.0, 420.0, 550.0, 700.0, 900.0, 1200.0, 1500.0})
        points.emplace_back(ci, aciStandardAssimilation(truth, ci));
    return points;
}

}  // namespace

// The reference holds 21 real curves fitted by the field's most used implementation
// (tests/data/reference/README.md). Vcmax, Jmax and Rd must agree within 1 % (Rd
// within 0.05 when near zero) and the RMSE must not be worse by more than 0.5 %;
// the standard errors, the transition and the 25 degrees C values are held to the
// same 1 %, as they come from the same optimum.
TEST(AciStandardFit, AgreesWithTheFieldsReferenceOnRealCurves)
{
    const auto reference = readReference();
    ASSERT_EQ(reference.size(), 21u);
    for (const auto& r : reference) {
        SCOPED_TRACE(r.file);
        AciStandardFitSettings settings;
        settings.leafTemperature = r.tleaf;
        settings.ppfd = r.ppfd;
        const auto fit = fitAciStandard(curvePoints(dataFile("aci/" + r.file)), settings);
        ASSERT_TRUE(fit.fitted) << fit.message;
        EXPECT_TRUE(near(fit.vcmax, r.vcmax, 0.01 * r.vcmax));
        EXPECT_TRUE(near(fit.jmax, r.jmax, 0.01 * r.jmax));
        EXPECT_TRUE(near(fit.rd, r.rd, std::max(0.01 * std::abs(r.rd), 0.05)));
        EXPECT_LE(fit.rmse, r.rmse * 1.005);
        EXPECT_TRUE(near(fit.vcmaxSE, r.vcmaxSE, 0.01 * r.vcmaxSE));
        EXPECT_TRUE(near(fit.jmaxSE, r.jmaxSE, 0.01 * r.jmaxSE));
        EXPECT_TRUE(near(fit.rdSE, r.rdSE, 0.01 * r.rdSE));
        ASSERT_TRUE(fit.transitionCi.has_value());
        EXPECT_TRUE(near(*fit.transitionCi, r.transition, 0.01 * r.transition));
        EXPECT_TRUE(near(fit.vcmax25, r.vcmax25, 0.01 * r.vcmax25));
        ASSERT_TRUE(fit.jmax25.has_value());
        EXPECT_TRUE(near(*fit.jmax25, r.jmax25, 0.01 * r.jmax25));
        EXPECT_FALSE(fit.jInsteadOfJmax);
        EXPECT_EQ(fit.limitations.size(), static_cast<std::size_t>(fit.points));
    }
}

// Bernacchi et al. (2001) at 25 degrees C; O and GammaStar follow the pressure, the
// Michaelis constants do not.
TEST(AciStandardFit, ConstantsAt25DegreesAndTheirPressureScaling)
{
    const auto at100 = aciStandardConstants(25, 100);
    EXPECT_DOUBLE_EQ(at100.kc, 404.9);
    EXPECT_DOUBLE_EQ(at100.ko, 278.4);
    EXPECT_DOUBLE_EQ(at100.gammaStar, 42.75);
    EXPECT_DOUBLE_EQ(at100.km, 404.9 * (1 + 210 / 278.4));
    const auto at80 = aciStandardConstants(25, 80);
    EXPECT_DOUBLE_EQ(at80.gammaStar, 42.75 * 0.8);
    EXPECT_DOUBLE_EQ(at80.oxygen, 210 * 0.8);
    EXPECT_DOUBLE_EQ(at80.kc, 404.9);
    EXPECT_DOUBLE_EQ(vcmaxTemperatureResponse(25), 1.0);
    EXPECT_DOUBLE_EQ(jmaxTemperatureResponse(25), 1.0);
}

// Without a light value J itself is fitted; with TPU asked for, the plateau of a
// curve that has one is found, and the points on it are TPU-limited.
TEST(AciStandardFit, RecoversTheParametersOfModelCurves)
{
    AciStandardFitSettings noLight;
    noLight.leafTemperature = 27;
    noLight.patm = 90;
    const auto jFit = fitAciStandard(modelCurve(noLight, 85, 140, 1.3, 0), noLight);
    ASSERT_TRUE(jFit.fitted) << jFit.message;
    EXPECT_TRUE(jFit.jInsteadOfJmax);
    EXPECT_FALSE(jFit.jmax25.has_value());
    EXPECT_TRUE(near(jFit.vcmax, 85, 1e-6));
    EXPECT_TRUE(near(jFit.jmax, 140, 1e-6));
    EXPECT_TRUE(near(jFit.rd, 1.3, 1e-6));
    EXPECT_TRUE(near(jFit.rmse, 0, 1e-8));
    EXPECT_EQ(jFit.limitations.front(), AciLimitation::Rubisco);
    EXPECT_EQ(jFit.limitations.back(), AciLimitation::RuBP);

    AciStandardFitSettings withTpu;
    withTpu.leafTemperature = 25;
    withTpu.ppfd = 1500;
    withTpu.fitTPU = true;
    const auto tpuFit = fitAciStandard(modelCurve(withTpu, 70, 150, 0.8, 7.5), withTpu);
    ASSERT_TRUE(tpuFit.fitted) << tpuFit.message;
    EXPECT_TRUE(near(tpuFit.vcmax, 70, 1e-5));
    EXPECT_TRUE(near(tpuFit.jmax, 150, 1e-5));
    EXPECT_TRUE(near(tpuFit.rd, 0.8, 1e-6));
    EXPECT_TRUE(near(tpuFit.tpu, 7.5, 1e-6));
    EXPECT_EQ(tpuFit.parameters, 4);
    EXPECT_EQ(tpuFit.limitations.front(), AciLimitation::Rubisco);
    EXPECT_EQ(tpuFit.limitations.back(), AciLimitation::TPU);
}

TEST(AciStandardFit, CurvesThatCannotBeFittedSayWhy)
{
    AciStandardFitSettings settings;
    settings.ppfd = 1800;
    auto fit = fitAciStandard({{100, 5}, {200, 10}, {400, 15}}, settings);
    EXPECT_FALSE(fit.fitted);
    EXPECT_EQ(fit.message, "Cannot fit: 3 points for 3 parameters; at least 4 are needed");

    fit = fitAciStandard({{100, 5}, {200, 10}, {400, 15}, {800, NAN}}, settings);
    EXPECT_EQ(fit.message, "Cannot fit: a point's Ci or A is not a finite number");

    settings.patm = 0;
    fit = fitAciStandard({{100, 5}, {200, 10}, {400, 15}, {800, 18}}, settings);
    EXPECT_EQ(fit.message, "Cannot fit: Patm must be a positive number of kPa");

    // A real curve without a plateau: TPU limits none of its points, so asking for TPU
    // gives the fit without it, which says so.
    settings.patm = 100;
    settings.fitTPU = true;
    settings.leafTemperature = 29.35;
    fit = fitAciStandard(curvePoints(dataFile("aci/plantecophys_31_ghr4.csv")), settings);
    EXPECT_TRUE(fit.fitted);
    EXPECT_TRUE(fit.tpuNotLimiting);
    EXPECT_FALSE(fit.tpuFitted);
}

TEST(AciStandardFit, ALowLightCurveThatNeedsMoreElectronTransportGetsJItself)
{
    // A tobacco curve measured at 100 umol m-2 s-1 (examples/aci-curves.csv): its A
    // needs more J than the light-limited ceiling 0.24 x 100 allows, so Jmax has no
    // finite optimum.
    std::ifstream in(dataFile("../../examples/aci-curves.csv"));
    Points points;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string ppfd, ci, a;
        std::getline(fields, ppfd, ',');
        std::getline(fields, ci, ',');
        std::getline(fields, a, ',');
        if (ppfd == "100")
            points.emplace_back(std::stod(ci), std::stod(a));
    }
    ASSERT_EQ(points.size(), 18u);
    AciStandardFitSettings settings;
    settings.leafTemperature = 27;
    settings.ppfd = 100;
    const AciStandardFitResult lit = fitAciStandard(points, settings);
    // J itself is fitted, as without a light value, and the light it exceeds is named.
    ASSERT_TRUE(lit.fitted) << lit.message;
    EXPECT_TRUE(lit.jInsteadOfJmax);
    EXPECT_EQ(lit.lightCeilingExceeded, 100);
    EXPECT_GT(lit.jmax, lightLimitedJ(100));
    settings.ppfd.reset();
    const AciStandardFitResult dark = fitAciStandard(points, settings);
    EXPECT_EQ(dark.jmax, lit.jmax);
    EXPECT_FALSE(dark.lightCeilingExceeded);
}
