// The build keeps every rounding the code asks for. Geometry is defined down
// to single-precision roundings taken inside double-precision arithmetic; a
// compiler that fuses or drops one of them draws other pixels.

#include <gtest/gtest.h>

namespace {

struct Pair
{
    double x, y;
};

// Two products rounded to float and kept as doubles, side by side: GCC 12's
// straight-line vectoriser turned this into two double products with no
// rounding at all.
__attribute__((noinline)) void roundedPair(Pair& out, double a, double b, double c, double d)
{
    out.x = static_cast<float>(a * b);
    out.y = static_cast<float>(c * d);
}

// a * b + c, which a contracting compiler turns into one fused rounding.
__attribute__((noinline)) float multiplyAdd(float a, float b, float c)
{
    return a * b + c;
}

} // namespace

TEST(FloatRounding, DoublesRoundedToFloatStayRounded)
{
    volatile double a = 1.0000001, b = 3.0000003, c = 0.1, d = 7.0;
    Pair pair{};
    roundedPair(pair, a, b, c, d);
    EXPECT_EQ(pair.x, static_cast<double>(static_cast<float>(a * b)));
    EXPECT_EQ(pair.y, static_cast<double>(static_cast<float>(c * d)));
    EXPECT_NE(pair.x, a * b);  // the inputs are chosen so that rounding shows
}

TEST(FloatRounding, MultiplyAddRoundsTwice)
{
    // 1 + 2^-12 squared is 1 + 2^-11 + 2^-24: the product rounds to 1 + 2^-11,
    // so subtracting that leaves 0, where a fused multiply-add keeps 2^-24.
    volatile float x = 1.0f + 1.0f / 4096.0f;
    volatile float minusRounded = -(1.0f + 1.0f / 2048.0f);
    EXPECT_EQ(multiplyAdd(x, x, minusRounded), 0.0f);
}
