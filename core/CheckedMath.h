#pragma once
// IEEE arithmetic raises nothing by itself. The computations that must fail on a
// division by zero or an overflow (instead of carrying an infinity or a NaN along)
// use these small helpers; each throws ArithmeticError with a plain message.

#include "core/Errors.h"

#include <cmath>

namespace calvane::checked {

template <typename T>
T finite(T value)
{
    if (std::isnan(value))
        throw ArithmeticError("Invalid floating point operation");
    if (std::isinf(value))
        throw ArithmeticError("Floating point overflow");
    return value;
}

template <typename T>
T div(T numerator, T denominator)
{
    if (denominator == T(0))
        throw ArithmeticError("Floating point division by zero");
    return finite(numerator / denominator);
}

template <typename T>
T mul(T a, T b)
{
    return finite(a * b);
}

template <typename T>
T add(T a, T b)
{
    return finite(a + b);
}

template <typename T>
T sub(T a, T b)
{
    return finite(a - b);
}

template <typename T>
T exp(T x)
{
    return finite(std::exp(x));
}

template <typename T>
T log(T x)
{
    if (!(x > T(0)))
        throw ArithmeticError("Invalid floating point operation");
    return finite(std::log(x));
}

}  // namespace calvane::checked
