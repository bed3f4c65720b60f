#include "sim/calc/RealNumber.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zqsim {

namespace {

constexpr int kDigits = 12;
constexpr int kMaxExponent = 499;
constexpr std::uint64_t kMantissaMax = 999999999999ULL;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

RealNumber RealNumber::FromDigits(bool negative, std::string digits, int exponent) {
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return RealNumber();
    }
    exponent -= static_cast<int>(first);
    digits.erase(0, first);
    bool roundUp = digits.size() > kDigits && digits[kDigits] >= '5';
    digits.resize(kDigits, '0');
    std::uint64_t mantissa = std::strtoull(digits.c_str(), nullptr, 10);
    if (roundUp && ++mantissa > kMantissaMax) {
        mantissa /= 10;
        ++exponent;
    }
    RealNumber r;
    if (exponent > kMaxExponent) {
        mantissa = kMantissaMax;
        exponent = kMaxExponent;
    } else if (exponent < -kMaxExponent) {
        return r;
    }
    r.negative_ = negative;
    r.mantissa_ = mantissa;
    r.exponent_ = exponent;
    return r;
}

RealNumber RealNumber::FromInteger(std::int64_t value) {
    bool negative = value < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : value;
    std::string digits = std::to_string(magnitude);
    int exponent = static_cast<int>(digits.size()) - 1;
    return FromDigits(negative, digits, exponent);
}

std::optional<RealNumber> RealNumber::FromLongDouble(long double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    if (value == 0) {
        return RealNumber();
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*Le", kDigits + 2, std::fabs(value));
    std::string s(text);
    std::size_t e = s.find('e');
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
    int exponent = std::atoi(s.c_str() + e + 1);
    return FromDigits(value < 0, digits, exponent);
}

std::optional<RealNumber> RealNumber::Parse(std::string_view text, char mark) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    std::string digits;
    int intDigits = 0;
    bool any = false;
    while (i < text.size() && IsDigit(text[i])) {
        digits.push_back(text[i++]);
        ++intDigits;
        any = true;
    }
    if (i < text.size() && text[i] == mark) {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            digits.push_back(text[i++]);
            any = true;
        }
    }
    if (!any) {
        return std::nullopt;
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            expNegative = text[i++] == '-';
        }
        if (i == text.size()) {
            return std::nullopt;
        }
        while (i < text.size() && IsDigit(text[i])) {
            if (exponent < 100000) {
                exponent = exponent * 10 + (text[i] - '0');
            }
            ++i;
        }
        if (expNegative) {
            exponent = -exponent;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return FromDigits(negative, digits, static_cast<int>(exponent + intDigits - 1));
}

std::optional<RealNumber> RealNumber::FromBcd(std::string_view nibbles) {
    if (nibbles.size() != 16) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 15; ++i) {
        if (nibbles[i] > 9) {
            return std::nullopt;
        }
    }
    int sign = nibbles[15];
    if (sign != 0 && sign != 9) {
        return std::nullopt;
    }
    int exponentCode = nibbles[0] + 10 * nibbles[1] + 100 * nibbles[2];
    int exponent = exponentCode < 500 ? exponentCode : exponentCode - 1000;
    std::string digits;
    for (int k = 14; k >= 3; --k) {
        digits.push_back(static_cast<char>('0' + nibbles[k]));
    }
    return FromDigits(sign == 9, digits, exponent);
}

long double RealNumber::ToLongDouble() const {
    if (mantissa_ == 0) {
        return 0;
    }
    std::string text = std::to_string(mantissa_) + "e" + std::to_string(exponent_ - 11);
    long double value = std::strtold(text.c_str(), nullptr);
    return negative_ ? -value : value;
}

std::string RealNumber::ToText(char mark) const {
    if (mantissa_ == 0) {
        return std::string("0") + mark;
    }
    std::string digits = std::to_string(mantissa_);
    digits.erase(digits.find_last_not_of('0') + 1);
    int count = static_cast<int>(digits.size());
    std::string out = negative_ ? "-" : "";
    bool fixed = exponent_ < kDigits && exponent_ >= -4 &&
                 (exponent_ >= 0 || -exponent_ - 1 + count <= kDigits);
    if (!fixed) {
        out += digits.substr(0, 1) + mark + digits.substr(1) + "E" + std::to_string(exponent_);
    } else if (exponent_ >= 0) {
        std::size_t whole = static_cast<std::size_t>(exponent_) + 1;
        if (digits.size() < whole) {
            digits.append(whole - digits.size(), '0');
        }
        out += digits.substr(0, whole) + mark + digits.substr(whole);
    } else {
        out += mark + std::string(static_cast<std::size_t>(-exponent_ - 1), '0') + digits;
    }
    return out;
}

std::string RealNumber::ToBcd() const {
    std::string out;
    int exponentCode = exponent_ >= 0 ? exponent_ : exponent_ + 1000;
    if (mantissa_ == 0) {
        exponentCode = 0;
    }
    out.push_back(static_cast<char>(exponentCode % 10));
    out.push_back(static_cast<char>(exponentCode / 10 % 10));
    out.push_back(static_cast<char>(exponentCode / 100));
    std::uint64_t m = mantissa_;
    for (int k = 0; k < kDigits; ++k) {
        out.push_back(static_cast<char>(m % 10));
        m /= 10;
    }
    out.push_back(static_cast<char>(negative_ && mantissa_ != 0 ? 9 : 0));
    return out;
}

bool RealNumber::ToInteger(std::int64_t& out) const {
    if (mantissa_ == 0) {
        out = 0;
        return true;
    }
    if (exponent_ < 0 || exponent_ > 17) {
        return false;
    }
    std::int64_t value = static_cast<std::int64_t>(mantissa_);
    for (int shift = kDigits - 1 - exponent_; shift > 0; --shift) {
        if (value % 10 != 0) {
            return false;
        }
        value /= 10;
    }
    for (int grow = exponent_ - (kDigits - 1); grow > 0; --grow) {
        value *= 10;
    }
    out = negative_ ? -value : value;
    return true;
}

RealNumber RealNumber::Negated() const {
    RealNumber r = *this;
    if (mantissa_ != 0) {
        r.negative_ = !negative_;
    }
    return r;
}

}  // namespace zqsim
