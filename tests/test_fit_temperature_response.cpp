// The temperature-response fits against the field's reference on leaf S1's Vcmax and
// Jmax (tests/data/reference/README.md), their sanity on leaf S2, and their refusals.

#include "TestSupport.h"
#include "fit/TemperatureResponse.h"

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

using namespace calvane;
using calvane::test::dataFile;
using calvane::test::near;

namespace {

using Points = std::vector<std::pair<double, double>>;

std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else if (c != '\r')
            field += c;
    }
    fields.push_back(field);
    return fields;
}

// A CSV file as rows of named fields.
std::vector<std::map<std::string, std::string>> readTable(const std::string& name)
{
    std::ifstream in(dataFile("reference/" + name));
    std::string line;
    std::getline(in, line);
    const auto header = csvFields(line);
    std::vector<std::map<std::string, std::string>> rows;
    while (std::getline(in, line)) {
        const auto fields = csvFields(line);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i)
            row[header[i]] = fields[i];
        rows.push_back(row);
    }
    return rows;
}

// (leaf temperature, Vcmax or Jmax) of one leaf's curves.
Points leafValues(const std::string& leaf, const std::string& parameter)
{
    Points points;
    for (const auto& row : readTable("t_response_input.csv")) {
        if (row.at("leaf") == leaf)
            points.emplace_back(std::stod(row.at("Tleaf")), std::stod(row.at(parameter)));
    }
    return points;
}

TemperatureResponseSettings settingsFor(TemperatureModel model)
{
    TemperatureResponseSettings settings;
    settings.model = model;
    return settings;
}

// Within 1 % of the reference.
::testing::AssertionResult within1Percent(double actual, const std::string& expected)
{
    const double e = std::stod(expected);
    return near(actual, e, 0.01 * std::abs(e));
}

}  // namespace

// Both models on Vcmax and Jmax of leaf S1: the estimates, their standard errors and
// Topt agree with the reference within 1 %, and the sum of squares is no worse. Leaf
// S1's Vcmax has Ea above Hd: a fit without an optimum temperature.
TEST(TemperatureResponse, AgreesWithTheReferenceOnLeafS1)
{
    int compared = 0;
    for (const auto& r : readTable("t_response_S1.csv")) {
        if (r.at("fitter") != "own")
            continue;
        SCOPED_TRACE(r.at("parameter") + " " + r.at("model"));
        const bool peaked = r.at("model") == "Medlyn";
        const auto fit = fitTemperatureResponse(
            leafValues("S1", r.at("parameter")),
            settingsFor(peaked ? TemperatureModel::Peaked : TemperatureModel::Arrhenius));
        ASSERT_TRUE(fit.fitted) << fit.message;
        EXPECT_EQ(fit.points, std::stoi(r.at("n")));
        EXPECT_EQ(fit.points - fit.parameters, std::stoi(r.at("df")));
        EXPECT_LE(fit.sse, std::stod(r.at("SSE")) * (1 + 1e-9));
        EXPECT_DOUBLE_EQ(fit.rmse, std::sqrt(fit.sse / fit.points));
        EXPECT_TRUE(within1Percent(fit.k25, r.at("k25")));
        EXPECT_TRUE(within1Percent(fit.k25SE, r.at("k25_se")));
        EXPECT_TRUE(within1Percent(fit.ea, r.at("Ea")));
        EXPECT_TRUE(within1Percent(fit.eaSE, r.at("Ea_se")));
        if (!peaked) {
            EXPECT_FALSE(fit.ds || fit.dsSE || fit.topt || fit.toptSE);
        } else {
            ASSERT_TRUE(fit.ds && fit.dsSE);
            EXPECT_TRUE(within1Percent(*fit.ds, r.at("dS")));
            EXPECT_TRUE(within1Percent(*fit.dsSE, r.at("dS_se")));
            EXPECT_EQ(fit.topt.has_value(), !r.at("Topt_C").empty());
            EXPECT_EQ(fit.toptSE.has_value(), !r.at("Topt_C").empty());
            if (fit.topt && fit.toptSE) {
                EXPECT_TRUE(within1Percent(*fit.topt, r.at("Topt_C")));
                EXPECT_TRUE(within1Percent(*fit.toptSE, r.at("Topt_se")));
            }
        }
        ++compared;
    }
    EXPECT_EQ(compared, 4);
}

// The curve drawn from a fit is the curve that was fitted: its value at 25 degrees C is
// k25, and its residuals add up to the reported SSE.
TEST(TemperatureResponse, DrawnCurveIsTheFittedCurve)
{
    const Points points = leafValues("S1", "Jmax");
    for (auto model : {TemperatureModel::Arrhenius, TemperatureModel::Peaked}) {
        const auto fit = fitTemperatureResponse(points, settingsFor(model));
        ASSERT_TRUE(fit.fitted) << fit.message;
        EXPECT_NEAR(temperatureResponseValue(fit, 25), fit.k25, 1e-9 * fit.k25);
        double sse = 0;
        for (const auto& [celsius, value] : points)
            sse += std::pow(temperatureResponseValue(fit, celsius) - value, 2);
        EXPECT_NEAR(sse, fit.sse, 1e-9 * fit.sse);
    }
}

// Leaf S2 (its reference is held back): both models fit, every number is finite and
// a peak, where there is one, lies in the measured range's neighbourhood.
TEST(TemperatureResponse, FitsLeafS2Sensibly)
{
    for (const std::string parameter : {"Vcmax", "Jmax"}) {
        for (auto model : {TemperatureModel::Arrhenius, TemperatureModel::Peaked}) {
            SCOPED_TRACE(parameter);
            const auto fit = fitTemperatureResponse(leafValues("S2", parameter), settingsFor(model));
            ASSERT_TRUE(fit.fitted) << fit.message;
            for (double v : {fit.k25, fit.k25SE, fit.ea, fit.eaSE, fit.sse, fit.rmse})
                EXPECT_TRUE(std::isfinite(v));
            EXPECT_GT(fit.k25, 0);
            if (model == TemperatureModel::Peaked) {
                ASSERT_TRUE(fit.ds && fit.dsSE);
                EXPECT_TRUE(std::isfinite(*fit.ds) && std::isfinite(*fit.dsSE));
                EXPECT_EQ(fit.topt.has_value(), fit.ea < fit.settings.hd);
                if (fit.topt) {
                    EXPECT_GT(*fit.topt, 15);
                    EXPECT_LT(*fit.topt, 45);
                    ASSERT_TRUE(fit.toptSE);
                    EXPECT_TRUE(std::isfinite(*fit.toptSE));
                }
            }
        }
    }
}

// Values made from a peaked curve are recovered exactly, with Topt at the closed form.
TEST(TemperatureResponse, RecoversAPeakedCurve)
{
    TemperatureResponseFit truth;
    truth.fitted = true;
    truth.settings = settingsFor(TemperatureModel::Peaked);
    truth.k25 = 120;
    truth.ea = 60000;
    truth.ds = 650;
    Points points;
    for (double t = 15; t <= 42; t += 3)
        points.emplace_back(t, temperatureResponseValue(truth, t) * (1 + (static_cast<int>(t) % 2 ? 1e-3 : -1e-3)));
    const auto fit = fitTemperatureResponse(points, truth.settings);
    ASSERT_TRUE(fit.fitted) << fit.message;
    EXPECT_TRUE(near(fit.k25, 120, 0.5));
    EXPECT_TRUE(near(fit.ea, 60000, 600));
    EXPECT_TRUE(near(*fit.ds, 650, 0.5));
    const double topt = 200000 / (650 - 8.314 * std::log(60000.0 / 140000)) - 273.15;
    ASSERT_TRUE(fit.topt);
    EXPECT_TRUE(near(*fit.topt, topt, 0.1));
}

TEST(TemperatureResponse, RefusesWhatItCannotFit)
{
    auto message = [](const Points& points, TemperatureModel model, double hd = 200000) {
        TemperatureResponseSettings settings{model, hd};
        const auto fit = fitTemperatureResponse(points, settings);
        EXPECT_FALSE(fit.fitted);
        EXPECT_EQ(temperatureResponseValue(fit, 25), 0);
        return fit.message;
    };
    const Points three{{20, 50}, {25, 70}, {30, 90}};
    EXPECT_EQ(message({{20, 50}, {25, 70}}, TemperatureModel::Arrhenius),
              "Cannot fit: 2 points for 2 parameters; at least 3 are needed");
    EXPECT_EQ(message(three, TemperatureModel::Peaked), "Cannot fit: 3 points for 3 parameters; at least 4 are needed");
    EXPECT_EQ(message({{25, 50}, {25, 70}, {25, 90}}, TemperatureModel::Arrhenius),
              "Cannot fit: the points have 1 different leaf temperatures; the model needs at least 2");
    EXPECT_EQ(message({{20, 50}, {25, NAN}, {30, 90}}, TemperatureModel::Arrhenius),
              "Cannot fit: a point's leaf temperature or value is not a finite number");
    EXPECT_EQ(message({{20, 50}, {-300, 70}, {30, 90}}, TemperatureModel::Arrhenius),
              "Cannot fit: a leaf temperature is at or below absolute zero");
    EXPECT_EQ(message({{20, 50}, {25, 70}, {30, 90}, {35, 100}}, TemperatureModel::Peaked, 0),
              "Cannot fit: Hd must be a positive number of J mol-1");

    // Values that only rise, as an Arrhenius curve does: the peaked model has no
    // deactivation to find, and says so rather than reporting an arbitrary dS.
    TemperatureResponseFit arrhenius;
    arrhenius.fitted = true;
    arrhenius.k25 = 100;
    arrhenius.ea = 65000;
    Points rising;
    for (double t = 15; t <= 40; t += 2.5)
        rising.emplace_back(t, temperatureResponseValue(arrhenius, t) + (static_cast<int>(t) % 2 ? 0.5 : -0.5));
    EXPECT_EQ(message(rising, TemperatureModel::Peaked),
              "Cannot fit: the values show no decline at the warm end (less than 1 % deactivated at the warmest "
              "point), so they do not determine dS; the Arrhenius model suits them");
    EXPECT_TRUE(fitTemperatureResponse(rising, settingsFor(TemperatureModel::Arrhenius)).fitted);
}

// The 95 % profile intervals of both models on both leaves: every end is where the
// profile, recomputed there, meets the bound, and just inside it the profile is below
// the bound; the estimate lies inside. Leaf S1's four coolest points leave dS of the
// peaked model free: the profile stays below the bound out to both ends of dS's search
// range, and its interval is open at both ends.
TEST(TemperatureResponse, ProfileIntervalEndsMeetTheBound)
{
    int ends = 0;
    for (const std::string leaf : {"S1", "S2"}) {
        for (const std::string parameter : {"Vcmax", "Jmax"}) {
            const Points points = leafValues(leaf, parameter);
            for (auto model : {TemperatureModel::Arrhenius, TemperatureModel::Peaked}) {
                const auto fit = fitTemperatureResponse(points, settingsFor(model));
                ASSERT_TRUE(fit.fitted) << fit.message;
                EXPECT_DOUBLE_EQ(fit.intervalBound, profileThreshold(fit.sse, fit.points, fit.parameters));
                std::vector<std::tuple<TemperatureParameter, double, ProfileInterval>> fitted{
                    {TemperatureParameter::K25, fit.k25, fit.k25Interval},
                    {TemperatureParameter::Ea, fit.ea, fit.eaInterval}};
                if (model == TemperatureModel::Peaked)
                    fitted.emplace_back(TemperatureParameter::DS, *fit.ds, fit.dsInterval);
                else
                    EXPECT_FALSE(fit.dsInterval.lower || fit.dsInterval.upper);
                for (const auto& [which, estimate, interval] : fitted) {
                    SCOPED_TRACE(leaf + " " + parameter + (model == TemperatureModel::Peaked ? " peaked " : " ") +
                                 std::to_string(static_cast<int>(which)));
                    ASSERT_TRUE(interval.lower && interval.upper);
                    EXPECT_LT(*interval.lower, estimate);
                    EXPECT_GT(*interval.upper, estimate);
                    for (const double end : {*interval.lower, *interval.upper}) {
                        const double atEnd = temperatureResponseProfile(points, fit, which, end);
                        EXPECT_TRUE(near(atEnd, fit.intervalBound, 1e-6 * fit.intervalBound));
                        const double inside = end + 1e-4 * (estimate - end);
                        EXPECT_LT(temperatureResponseProfile(points, fit, which, inside), fit.intervalBound);
                        ++ends;
                    }
                }
            }
        }
    }
    EXPECT_EQ(ends, 40);

    const Points all = leafValues("S1", "Vcmax");
    const Points coolest(all.begin(), all.begin() + 4);
    const auto fit = fitTemperatureResponse(coolest, settingsFor(TemperatureModel::Peaked));
    ASSERT_TRUE(fit.fitted) << fit.message;
    EXPECT_FALSE(fit.dsInterval.lower);
    EXPECT_FALSE(fit.dsInterval.upper);
    EXPECT_NE(fit.message.find("; the 95 % interval of dS does not close below within its search range; the 95 % "
                               "interval of dS does not close above within its search range"),
              std::string::npos)
        << fit.message;
    for (const double ds : {0.0, 10000.0})
        EXPECT_LE(temperatureResponseProfile(coolest, fit, TemperatureParameter::DS, ds), fit.intervalBound);
    EXPECT_TRUE(fit.k25Interval.lower && fit.k25Interval.upper);
}
