#pragma once

// cos and sin of a float angle, computed in double precision and rounded to
// float: the same floats as static_cast<float>(std::cos(static_cast<double>(a)))
// and its sine, which the branch frame takes for every segment, at a quarter
// of the cost.
//
// Why it is exact: a double-precision evaluation (range reduction by a
// three-part pi/2 and Taylor polynomials to r^11 and r^12, or a rotation of a
// nearby angle's values) lies within kTolerance of the true value, and so does
// the C library's result. When every value within kTolerance of ours rounds to
// the same float, the library's rounds to it too, and that float is returned.
// Otherwise (a few values in a thousand: those close to a rounding boundary
// or to zero) the library itself is asked. Arguments beyond
// the reduction's range, infinities and NaNs go to the library as well.

#include <cmath>

namespace branching {

struct WidenedCosSin
{
    float c;
    float s;
};

namespace exacttrig {

// Covers our evaluation error (the polynomials' truncation below 1e-11, a few
// 1e-15 from rounding and rotations) and the C library's (under one double
// ulp) with a margin.
constexpr double kTolerance = 0x1p-34;
// The reduction k * pi/2 stays exact up to here.
constexpr double kLargestArgument = 0x1p20;

constexpr double kTwoOverPi = 0.63661977236758134308;
// pi/2 in three parts; the first two have 33 significant bits, so k times
// either is exact for |k| < 2^20.
constexpr double kHalfPi1 = 1.57079632673412561417e+00;
constexpr double kHalfPi2 = 6.07710050630396597660e-11;
constexpr double kHalfPi3 = 2.02226624879595063154e-21;
// The largest rounding remainder a rotation's Taylor terms take (to e^2).
constexpr double kLargestTurnRemainder = 1e-4;
// Adding and subtracting 1.5 * 2^52 rounds a double to the nearest integer.
constexpr double kRoundingShift = 0x1.8p52;

inline double sinPoly(double r)
{
    const double z = r * r;
    return r + r * z * (-1.0 / 6 + z * (1.0 / 120 + z * (-1.0 / 5040 + z * (1.0 / 362880 + z * (-1.0 / 39916800)))));
}

inline double cosPoly(double r)
{
    const double z = r * r;
    return 1.0 + z * (-0.5 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320 + z * (-1.0 / 3628800 + z * (1.0 / 479001600))))));
}

// Whether every value within the tolerance of v rounds to the same float.
inline bool roundsSafely(double v, float f)
{
    return static_cast<float>(v - kTolerance) == f && static_cast<float>(v + kTolerance) == f;
}

} // namespace exacttrig

// Double-precision cos and sin of a widened float angle, within 1e-15 of the
// true values; NaN for arguments beyond the reduction's range (and NaN ones),
// which makes the rounding below ask the library.
struct CosSinApprox
{
    double c;
    double s;
};

inline CosSinApprox approxCosSin(float angle)
{
    using namespace exacttrig;
    const double x = angle;
    if (!(std::fabs(x) <= kLargestArgument))
        return {NAN, NAN};
    const double k = (x * kTwoOverPi + kRoundingShift) - kRoundingShift;
    const double r = ((x - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
    const double sr = sinPoly(r);
    const double cr = cosPoly(r);
    switch (static_cast<int>(k) & 3) {
    case 0: return {cr, sr};
    case 1: return {-sr, cr};
    case 2: return {-cr, -sr};
    default: return {sr, -cr};
    }
}

// The approximation of a child angle `turned` = float(parent + nominal) from its
// parent's, by rotating through the exact difference of the two widened angles:
// nominal plus a rounding remainder e below 2^-24 of the angle, whose cos and
// sin come from their Taylor terms to e^2 (cosNominal and sinNominal are the
// nominal turn's). The error grows by about 1e-15 per turn. A remainder too
// large for those terms (angles beyond about 1700) starts afresh.
inline CosSinApprox turnedCosSin(const CosSinApprox& parent, float parentAngle, float turned, double nominal,
                                 double cosNominal, double sinNominal)
{
    const double e = (static_cast<double>(turned) - static_cast<double>(parentAngle)) - nominal;
    if (!(std::fabs(e) <= exacttrig::kLargestTurnRemainder))
        return approxCosSin(turned);
    const double half = 0.5 * e * e;
    const double cd = cosNominal - sinNominal * e - cosNominal * half;
    const double sd = sinNominal + cosNominal * e - sinNominal * half;
    return {parent.c * cd - parent.s * sd, parent.s * cd + parent.c * sd};
}

// float(cos(double(angle))) from an approximation within the tolerance: the
// approximation's rounding when that is certain, the library's otherwise.
inline float roundedCos(double approx, float angle)
{
    const float f = static_cast<float>(approx);
    return exacttrig::roundsSafely(approx, f) ? f : static_cast<float>(std::cos(static_cast<double>(angle)));
}

inline float roundedSin(double approx, float angle)
{
    const float f = static_cast<float>(approx);
    return exacttrig::roundsSafely(approx, f) ? f : static_cast<float>(std::sin(static_cast<double>(angle)));
}

inline WidenedCosSin widenedCosSin(float angle)
{
    const CosSinApprox a = approxCosSin(angle);
    return {roundedCos(a.c, angle), roundedSin(a.s, angle)};
}

} // namespace branching
