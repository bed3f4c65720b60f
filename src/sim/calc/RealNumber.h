#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zqsim {

// A calculator real: 12 significant decimal digits and an exponent from -499 to 499, kept
// in decimal so that texts and BCD nibbles convert without binary rounding.
class RealNumber {
public:
    RealNumber() = default;

    static RealNumber FromInteger(std::int64_t value);
    // Rounds to 12 digits; past the range it saturates at ±9.99999999999E499 or becomes 0.
    // Not finite: nullopt.
    static std::optional<RealNumber> FromLongDouble(long double value);
    // Parses "12", "-1.5", ".5", "2.", "1.E12", "1,5E-7" with `mark` as the decimal mark;
    // nullopt when the text is not exactly one number.
    static std::optional<RealNumber> Parse(std::string_view text, char mark);
    // From the 16 nibbles behind the prolog (3 exponent, 12 mantissa, 1 sign); nullopt when
    // they are not valid BCD.
    static std::optional<RealNumber> FromBcd(std::string_view nibbles);

    long double ToLongDouble() const;
    // The standard display format with `mark` as the decimal mark: "1." "-3." ".5"
    // "12345.5" "1.E12" "1.5E-7".
    std::string ToText(char mark) const;
    // The 16 nibbles behind the prolog.
    std::string ToBcd() const;

    bool IsZero() const { return mantissa_ == 0; }
    bool IsNegative() const { return negative_; }
    // True for a whole number; `out` gets it when it fits.
    bool ToInteger(std::int64_t& out) const;
    RealNumber Negated() const;

    friend bool operator==(const RealNumber&, const RealNumber&) = default;

private:
    // From up to any number of significant digits (no leading zeros) and the exponent of
    // the first one; rounds half up to 12 digits.
    static RealNumber FromDigits(bool negative, std::string digits, int exponent);

    bool negative_ = false;
    std::uint64_t mantissa_ = 0;  // d0 d1 ... d11 as an integer; 0, or at least 10^11
    int exponent_ = 0;            // of d0
};

}  // namespace zqsim
