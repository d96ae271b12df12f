#include "fit/ProfileInterval.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace calvane {

namespace {

// The continued fraction of I_x(a, b) (modified Lentz), good for x < (a + 1) / (a + b + 2).
double betaFraction(double x, double a, double b)
{
    constexpr double tiny = 1e-300;
    double c = 1, d = 1 - (a + b) * x / (a + 1);
    if (std::abs(d) < tiny)
        d = tiny;
    d = 1 / d;
    double h = d;
    auto step = [&](double numerator) {
        d = 1 + numerator * d;
        if (std::abs(d) < tiny)
            d = tiny;
        c = 1 + numerator / c;
        if (std::abs(c) < tiny)
            c = tiny;
        d = 1 / d;
        h *= d * c;
        return d * c;
    };
    for (int m = 1; m <= 1000; ++m) {
        const double m2 = 2.0 * m;
        step(m * (b - m) * x / ((a + m2 - 1) * (a + m2)));
        if (std::abs(step(-(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1))) - 1) < 1e-16)
            break;
    }
    return h;
}

}  // namespace

double incompleteBeta(double x, double a, double b)
{
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) +
                                  b * std::log1p(-x));
    if (x < (a + 1) / (a + b + 2))
        return front * betaFraction(x, a, b) / a;
    return 1 - front * betaFraction(1 - x, b, a) / b;
}

double studentTQuantile(double p, double df)
{
    if (!(p > 0 && p < 1) || !(df > 0))
        return std::numeric_limits<double>::quiet_NaN();
    if (p < 0.5)
        return -studentTQuantile(1 - p, df);
    // P(T > t) = I_{df / (df + t^2)}(df / 2, 1 / 2) / 2, falling in t: bisect on t.
    const double tail = 1 - p;
    auto upperTail = [df](double t) { return 0.5 * incompleteBeta(df / (df + t * t), df / 2, 0.5); };
    double low = 0, high = 1;
    while (upperTail(high) > tail && high < 1e300)
        high *= 2;
    for (int i = 0; i < 200 && high - low > 1e-15 * high; ++i) {
        const double mid = 0.5 * (low + high);
        (upperTail(mid) > tail ? low : high) = mid;
    }
    return 0.5 * (low + high);
}

double profileThreshold(double minimumSse, int points, int parameters)
{
    const int df = points - parameters;
    const double t = studentTQuantile(0.975, df);
    return minimumSse + minimumSse / df * t * t;
}

ProfileInterval profileInterval(const std::function<double(double)>& profileSse, double estimate, double step,
                                double lowest, double highest, double threshold)
{
    auto within = [&](double v) {
        const double s = profileSse(v);
        return std::isfinite(s) && s <= threshold;
    };
    auto end = [&](double direction, double limit) -> std::optional<double> {
        double inside = estimate, h = 0.25 * step;
        for (int k = 0; k < 200; ++k) {
            double v = estimate + direction * h;
            const bool atLimit = direction > 0 ? v >= limit : v <= limit;
            if (atLimit)
                v = limit;
            if (!within(v)) {
                // The crossing lies between the last value inside and this one.
                double in = inside, out = v;
                for (int i = 0; i < 100 && std::abs(out - in) > 1e-9 * std::max(std::abs(in), step); ++i) {
                    const double mid = 0.5 * (in + out);
                    (within(mid) ? in : out) = mid;
                }
                return 0.5 * (in + out);
            }
            if (atLimit)
                return std::nullopt;
            inside = v;
            h *= 1.3;
        }
        return std::nullopt;
    };
    return {end(-1, lowest), end(1, highest)};
}

}  // namespace calvane
