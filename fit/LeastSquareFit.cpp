#include "fit/LeastSquareFit.h"

#include "core/CheckedMath.h"

namespace calvane {

double UpdateMean(std::int32_t n, double mean, double value)
{
    const double factor = (static_cast<double>(n) - 1.0) / static_cast<double>(n);
    return mean * factor + value / static_cast<double>(n);
}

void TLinearRegression::Reset()
{
    Count = 0;
    MeanX = MeanY = MeanXX = MeanYY = MeanXY = 0.0;
}

std::int32_t TLinearRegression::Add(double x, double y)
{
    ++Count;
    MeanX = UpdateMean(Count, MeanX, x);
    MeanY = UpdateMean(Count, MeanY, y);
    MeanXX = UpdateMean(Count, MeanXX, x * x);
    MeanYY = UpdateMean(Count, MeanYY, y * y);
    MeanXY = UpdateMean(Count, MeanXY, x * y);
    return Count;
}

double TLinearRegression::VarianceX() const { return MeanXX - MeanX * MeanX; }

double TLinearRegression::CovarianceXY() const { return MeanXY - MeanX * MeanY; }

double TLinearRegression::Slope() const { return checked::div(CovarianceXY(), VarianceX()); }

double TLinearRegression::Intercept() const { return checked::div(MeanY * MeanXX - MeanX * MeanXY, VarianceX()); }

}  // namespace calvane
