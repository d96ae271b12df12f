#pragma once
// TLinearRegression: the straight line y = Slope * x + Intercept through a stream of
// points by ordinary least squares, kept as five running means (no point list).

#include <cstdint>

namespace calvane {

// The running-mean step: mean * ((n - 1) / n) + value / n, for n >= 1.
double UpdateMean(std::int32_t n, double mean, double value);

class TLinearRegression {
public:
    TLinearRegression() { Reset(); }

    void Reset();
    // Adds one point; returns the new Count.
    std::int32_t Add(double x, double y);

    double VarianceX() const;
    double CovarianceXY() const;
    // Both raise ArithmeticError when VarianceX is 0 (no point, one point, all x equal).
    double Slope() const;
    double Intercept() const;

    std::int32_t Count;
    double MeanX;
    double MeanY;
    double MeanXX;
    double MeanYY;
    double MeanXY;
};

}  // namespace calvane
