// The 80-bit extended codec of the scheme file: known encodings by value,
// rejection of what is not a finite canonical number, and exact round trips.

#include "model/X87.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

namespace {

TX87Bytes Bytes(std::uint64_t Significand, unsigned SignAndExponent) {
    TX87Bytes b{};
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(Significand >> (8 * i));
    b[8] = static_cast<std::uint8_t>(SignAndExponent & 0xFF);
    b[9] = static_cast<std::uint8_t>(SignAndExponent >> 8);
    return b;
}

std::optional<TReal> Decode(const TX87Bytes& b) {
    return DecodeX87(std::span<const std::uint8_t, 10>(b));
}

struct TKnown {
    const char* What;
    TReal Value;
    std::uint64_t Significand;
    unsigned SignAndExponent;
};

class X87Known : public ::testing::TestWithParam<TKnown> {};

TEST_P(X87Known, EncodesAndDecodesByValue) {
    const TKnown& k = GetParam();
    EXPECT_EQ(EncodeX87(k.Value), Bytes(k.Significand, k.SignAndExponent));
    const auto Back = Decode(Bytes(k.Significand, k.SignAndExponent));
    ASSERT_TRUE(Back);
    EXPECT_EQ(*Back, k.Value);
    EXPECT_EQ(std::signbit(*Back), std::signbit(k.Value));
}

constexpr std::uint64_t Top = std::uint64_t{1} << 63;

std::vector<TKnown> KnownValues() {
    std::vector<TKnown> Values = {
        {"one", 1, Top, 0x3FFF},
        {"two_and_a_half", 2.5L, 0xA000000000000000, 0x4000},
        {"minus_two", -2, Top, 0xC000},
        {"zero", 0, 0, 0},
        {"minus_zero", -0.0L, 0, 0x8000},
        {"three_quarters", 0.75L, 0xC000000000000000, 0x3FFE},
        {"large", std::ldexp(TReal{1}, 1000), Top, 0x3FFF + 1000},
    };
    // Values only a 64-bit significand with the full exponent range holds.
    if (LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384) {
        Values.push_back({"smallest_denormal", std::ldexp(TReal{1}, -16445), 1, 0});
        Values.push_back({"largest_denormal", std::ldexp(TReal(Top - 1), -16445), Top - 1, 0});
        Values.push_back({"smallest_normal", std::ldexp(TReal{1}, -16382), Top, 1});
        Values.push_back({"largest_finite", LDBL_MAX, ~std::uint64_t{0}, 0x7FFE});
        Values.push_back({"tenth", 0.1L, 0xCCCCCCCCCCCCCCCD, 0x3FFB});
        Values.push_back({"minus_third", -1.0L / 3, 0xAAAAAAAAAAAAAAAB, 0xBFFD});
    }
    return Values;
}

INSTANTIATE_TEST_SUITE_P(Values, X87Known, ::testing::ValuesIn(KnownValues()),
                         [](const auto& Info) { return std::string(Info.param.What); });

TEST(X87, EveryPatternThatIsNoFiniteCanonicalNumberIsRefused) {
    for (unsigned Sign : {0u, 0x8000u}) {
        EXPECT_FALSE(Decode(Bytes(Top, Sign | 0x7FFF))) << "infinity";
        EXPECT_FALSE(Decode(Bytes(Top | 1, Sign | 0x7FFF))) << "signalling NaN";
        EXPECT_FALSE(Decode(Bytes(0xC000000000000000, Sign | 0x7FFF))) << "quiet NaN";
        EXPECT_FALSE(Decode(Bytes(0, Sign | 0x7FFF))) << "pseudo-infinity";
        EXPECT_FALSE(Decode(Bytes(0x4000000000000000, Sign | 0x7FFF))) << "pseudo-NaN";
        EXPECT_FALSE(Decode(Bytes(0x4000000000000000, Sign | 0x3FFF))) << "unnormal";
        EXPECT_FALSE(Decode(Bytes(0, Sign | 1))) << "unnormal zero";
        EXPECT_FALSE(Decode(Bytes(Top, Sign | 0))) << "pseudo-denormal";
        EXPECT_FALSE(Decode(Bytes(~std::uint64_t{0}, Sign | 0))) << "pseudo-denormal";
    }
}

TEST(X87, InfinityAndNaNGetTheFormatsOwnEncodings) {
    EXPECT_EQ(EncodeX87(std::numeric_limits<TReal>::infinity()), Bytes(Top, 0x7FFF));
    EXPECT_EQ(EncodeX87(-std::numeric_limits<TReal>::infinity()), Bytes(Top, 0xFFFF));
    EXPECT_EQ(EncodeX87(std::numeric_limits<TReal>::quiet_NaN()),
              Bytes(0xC000000000000000, 0x7FFF));
}

TEST(X87, RandomValuesGoThereAndBackUnchanged) {
    std::mt19937_64 Random(87);
    for (int i = 0; i < 200000; ++i) {
        // A random significand under an exponent from the whole range,
        // denormals included.
        const std::uint64_t Significand = Random();
        const int Exponent =
            static_cast<int>(Random() % (LDBL_MAX_EXP - LDBL_MIN_EXP + 70)) + LDBL_MIN_EXP - 68;
        TReal Value = std::ldexp(static_cast<TReal>(Significand), Exponent - 64);
        if (Random() & 1)
            Value = -Value;
        if (!std::isfinite(Value))
            continue;
        const auto Back = Decode(EncodeX87(Value));
        ASSERT_TRUE(Back) << static_cast<double>(Value);
        ASSERT_EQ(*Back, Value);
        ASSERT_EQ(std::signbit(*Back), std::signbit(Value));
    }
}

#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
// Where long double is the x87 format itself, the codec must agree with the
// machine's own bytes for every finite canonical pattern.
TEST(X87, AgreesWithTheMachinesOwnLayoutOnEveryCanonicalPattern) {
    std::mt19937_64 Random(1987);
    for (int i = 0; i < 200000; ++i) {
        const unsigned Exponent = static_cast<unsigned>(Random() % 0x7FFF);
        std::uint64_t Significand = Random();
        if (i % 7 == 0)
            Significand >>= Random() % 64; // small significands, many leading zeros
        Significand = Exponent == 0 ? Significand & ~Top : Significand | Top;
        const TX87Bytes b = Bytes(Significand, Exponent | ((Random() & 1) ? 0x8000u : 0u));
        long double Machine = 0;
        std::memcpy(&Machine, b.data(), b.size());
        const auto Value = Decode(b);
        ASSERT_TRUE(Value);
        ASSERT_EQ(std::memcmp(&*Value, &Machine, 10), 0) << "pattern " << i;
        ASSERT_EQ(EncodeX87(Machine), b) << "pattern " << i;
    }
}
#endif

} // namespace
