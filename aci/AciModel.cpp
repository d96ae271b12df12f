#include "aci/AciModel.h"

#include "core/CheckedMath.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "fit/LeastSquareFit.h"

#include <algorithm>
#include <limits>

namespace calvane {

namespace {

// exp(scale - activationEnergy / (TK * R)), the Arrhenius form of Kc and Ko.
double arrhenius(double scale, double activationEnergy, double leafTempC)
{
    const double kelvin = checked::add(leafTempC, kelvinOffset);
    const double rt = checked::mul(kelvin, aciGasConstant);
    return checked::exp(checked::sub(scale, checked::div(activationEnergy, rt)));
}

// Kc * (1 + O / Ko): the apparent Michaelis constant of the Rubisco-limited rate.
double apparentKc(const AciParameters& p)
{
    return checked::mul(p.Kc, checked::add(1.0, checked::div(aciOxygen, p.Ko)));
}

}  // namespace

double aciKc(double leafTempC) { return arrhenius(38.05, 79.43, leafTempC); }

double aciKo(double leafTempC) { return arrhenius(20.3, 36.38, leafTempC); }

double aciTau(double kc, double ko)
{
    const double perOxygen = checked::div(1.0, aciOxygen / 1000);
    return checked::div(checked::mul(perOxygen, ko), kc);
}

double aciGammaStar(double tau) { return checked::div(aciOxygen * 0.5, tau); }

double aciFPrime(double ci, const AciParameters& p)
{
    const double gammaStar = aciGammaStar(p.Tau);
    return checked::div(checked::sub(ci, gammaStar), checked::add(ci, apparentKc(p)));
}

double aciGPrime(double ci, const AciParameters& p)
{
    const double gammaStar = aciGammaStar(p.Tau);
    const double denominator = checked::add(checked::mul(4.5, ci), checked::mul(10.5, gammaStar));
    return checked::div(checked::sub(ci, gammaStar), denominator);
}

double aciRubiscoRate(double ci, const AciParameters& p)
{
    const double gammaStar = aciGammaStar(p.Tau);
    const double saturation = checked::div(checked::mul(p.Vcmax, ci), checked::add(ci, apparentKc(p)));
    const double compensation = checked::sub(1.0, checked::div(gammaStar, ci));
    return checked::sub(checked::mul(saturation, compensation), p.Rd);
}

double aciRubpRate(double ci, const AciParameters& p)
{
    const double gammaStar = aciGammaStar(p.Tau);
    const double denominator = checked::add(checked::mul(10.5, gammaStar), checked::mul(4.5, ci));
    const double saturation = checked::div(checked::mul(p.Jmax, ci), denominator);
    const double compensation = checked::sub(1.0, checked::div(gammaStar, ci));
    return checked::sub(checked::mul(saturation, compensation), p.Rd);
}

double aciStepOf(const PointSeries& points, int i)
{
    // Deliberately A(i) - A(i-1)/Ci(i) - Ci(i-1), not the slope between the points:
    // the selection rule is defined on this form.
    const double quotient = checked::div(points.y(i - 1), points.x(i));
    return checked::sub(checked::sub(points.y(i), quotient), points.x(i - 1));
}

double aciReferenceStep(const PointSeries& points)
{
    if (points.count() < 3 || points.x(2) == 0)
        return 1;
    try {
        return aciStepOf(points, 2);
    } catch (const ArithmeticError&) {
        return 1;
    }
}

namespace {

// Whether point i (i >= 1) passes the step test; any arithmetic failure leaves it out.
bool stepAccepts(const PointSeries& points, int i, double s0)
{
    if (points.x(i) == 0 || s0 == 0)
        return false;
    try {
        return checked::div(aciStepOf(points, i), s0) < 3;
    } catch (const ArithmeticError&) {
        return false;
    }
}

// The squared correlation of the points a line went through, from its running means;
// for a report only, so an undefined value is NaN rather than an error.
double rSquaredOf(const TLinearRegression& regression)
{
    const double varianceY = regression.MeanYY - regression.MeanY * regression.MeanY;
    const double denominator = regression.VarianceX() * varianceY;
    // A variance at the rounding level of the means is no variance at all.
    if (!(denominator > 0) || varianceY <= 1e-12 * regression.MeanYY)
        return std::numeric_limits<double>::quiet_NaN();
    const double covariance = regression.CovarianceXY();
    return std::min(1.0, covariance * covariance / denominator);
}

}  // namespace

AciLine fitAciLine(const PointSeries& points, const std::function<double(double)>& transform,
                   const std::string& failurePrefix, char decimalSeparator)
{
    if (points.empty())
        throw IndexError(failurePrefix + ": no measured points");

    const double s0 = aciReferenceStep(points);
    TLinearRegression regression;

    double x0 = 0;
    try {
        x0 = transform(points.x(0));
    } catch (const ArithmeticError& e) {
        throw ArithmeticError(failurePrefix + ": the point at Ci = " + formatNumber(points.x(0), decimalSeparator) +
                              " cannot be transformed; check Kc, Ko and Tau (" + e.what() + ")");
    }
    regression.Add(x0, points.y(0));

    for (int i = 1; i < points.count(); ++i) {
        if (!stepAccepts(points, i, s0))
            continue;
        try {
            regression.Add(transform(points.x(i)), points.y(i));
        } catch (const ArithmeticError&) {
            // A point whose transform does not exist is simply left out.
        }
    }

    try {
        return {regression.Slope(), regression.Intercept(), regression.Count, rSquaredOf(regression)};
    } catch (const ArithmeticError& e) {
        if (regression.Count < 2)
            throw ArithmeticError(failurePrefix + ": only one point could be used, at least two are needed (" +
                                  e.what() + ")");
        throw ArithmeticError(failurePrefix + ": the points used do not differ enough in Ci (" + e.what() + ")");
    }
}

}  // namespace calvane
