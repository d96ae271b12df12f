#pragma once
// What the A/Ci tests share: a fresh window on a scripted platform, points written
// into the grid in list order, and a check of a thrown error's type and message.

#include "TestSupport.h"
#include "aci/ACi_Curve.h"
#include "core/NumberText.h"
#include "fit/LeastSquareFit.h"

#include <string>
#include <utility>
#include <vector>

namespace calvane::test {

using Rows = std::vector<std::pair<std::string, std::string>>;

class AciWindowTest : public ::testing::Test {
protected:
    // Writes the points so that Load_ACi_Series reads them back in the given order:
    // point 0 goes to the lowest of the rows used, as the grid is read bottom-up.
    void setPoints(const Rows& listOrder)
    {
        const int n = static_cast<int>(listOrder.size());
        for (int i = 0; i < n; ++i) {
            win.aciSpreadSheetData.setCell(1, n - i, listOrder[static_cast<std::size_t>(i)].first);
            win.aciSpreadSheetData.setCell(2, n - i, listOrder[static_cast<std::size_t>(i)].second);
        }
    }

    double value(const TextField& field) const { return readNumber(field.text(), '.').value_or(-1e300); }

    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmACi_Curve win{platform, settings};
};

// The worked example: Ci doubling from 50 to 800, point 0 at Ci 50.
inline const Rows risingPoints{{"50", "2"}, {"100", "6"}, {"200", "12"}, {"400", "18"}, {"800", "22"}};
inline const Rows fallingPoints{{"800", "22"}, {"400", "18"}, {"200", "12"}, {"100", "6"}, {"50", "2"}};

// Ordinary least squares over exactly the given (Ci, A) pairs after a transform: the
// reference the fits are compared with once the selection is known.
template <typename Transform>
std::pair<double, double> referenceLine(const std::vector<std::pair<double, double>>& points, Transform t)
{
    TLinearRegression line;
    for (const auto& [ci, a] : points)
        line.Add(t(ci), a);
    return {line.Slope(), line.Intercept()};
}

template <typename Error, typename F>
::testing::AssertionResult throwsWith(F&& command, const std::string& message)
{
    try {
        command();
    } catch (const Error& e) {
        if (e.what() == message)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "message was \"" << e.what() << "\", expected \"" << message << "\"";
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "wrong error type, message \"" << e.what() << "\"";
    }
    return ::testing::AssertionFailure() << "nothing was thrown";
}

}  // namespace calvane::test
