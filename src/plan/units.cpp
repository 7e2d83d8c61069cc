#include "units.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>
#include <string>
#include <system_error>

#include "arithmetic.h"

namespace tarnwell::plan {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading number of a text, taken apart before it is converted. The
// parts are views into the text with its blanks removed.
struct NumberParts {
    bool negative = false;
    std::string_view mantissa;  // digits with at most one point, never empty when valid
    char marker = 0;            // the exponent's letter, 0 when the text has none
    std::string_view exponent;  // sign and digits, empty when the text has none
    bool anyDigit = false;
};

// Reads the parts from a text without blanks.
NumberParts Scan(std::string_view compact) {
    NumberParts parts;
    std::size_t i = 0;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) {
        parts.negative = compact[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    bool point = false;
    for (; i < compact.size(); ++i) {
        const char c = compact[i];
        if (IsDigit(c)) {
            parts.anyDigit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    parts.mantissa = compact.substr(mantissaStart, i - mantissaStart);
    if (!parts.anyDigit || i >= compact.size()) {
        return parts;
    }
    const char marker = compact[i];
    if (marker != 'E' && marker != 'e' && marker != 'D' && marker != 'd') {
        return parts;
    }
    std::size_t j = i + 1;
    if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) {
        ++j;
    }
    const std::size_t firstDigit = j;
    while (j < compact.size() && IsDigit(compact[j])) {
        ++j;
    }
    // "1E" or "1E+" has no exponent: reading stops before the letter.
    if (j > firstDigit) {
        parts.marker = marker;
        parts.exponent = compact.substr(i + 1, j - i - 1);
    }
    return parts;
}

// Decides between zero and infinity for a number from_chars could not
// hold: such a number lies hundreds of powers of ten away from one, so the
// rough power of ten of its first significant digit tells which side.
double OutOfRange(const NumberParts& parts) {
    long long digitsBeforePoint = 0;
    long long zerosAfterPoint = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    for (char c : parts.mantissa) {
        if (c == '.') {
            seenPoint = true;
        } else if (c != '0' || seenSignificant) {
            if (!seenPoint) {
                ++digitsBeforePoint;
            }
            seenSignificant = true;
        } else if (seenPoint) {
            ++zerosAfterPoint;
        }
    }
    long long exponent = 0;
    for (char c : parts.exponent) {
        if (IsDigit(c) && exponent < 1'000'000'000) {
            exponent = exponent * 10 + (c - '0');
        }
    }
    if (!parts.exponent.empty() && parts.exponent[0] == '-') {
        exponent = -exponent;
    }
    const long long power =
        (digitsBeforePoint > 0 ? digitsBeforePoint : -zerosAfterPoint) + exponent;
    const double magnitude = power > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return parts.negative ? -magnitude : magnitude;
}

}  // namespace

double LeadingNumber(std::string_view text) {
    // Entry text seldom holds blanks: then the text itself is read, without
    // a copy.
    std::string withoutBlanks;
    std::string_view compact = text;
    if (std::any_of(text.begin(), text.end(), IsBlank)) {
        withoutBlanks.reserve(text.size());
        std::copy_if(text.begin(), text.end(), std::back_inserter(withoutBlanks),
                     [](char c) { return !IsBlank(c); });
        compact = withoutBlanks;
    }
    const NumberParts parts = Scan(compact);
    if (!parts.anyDigit) {
        return 0.0;
    }
    // from_chars reads an E exponent in place; a D exponent, or one with a
    // plus sign, is spelt anew.
    std::string_view number = parts.mantissa;
    std::string spelt;
    if ((parts.marker == 'E' || parts.marker == 'e') && parts.exponent[0] != '+') {
        number = std::string_view(
            parts.mantissa.data(),
            static_cast<std::size_t>(parts.exponent.data() + parts.exponent.size() -
                                     parts.mantissa.data()));
    } else if (parts.marker != 0) {
        const std::string_view digits =
            parts.exponent[0] == '+' ? parts.exponent.substr(1) : parts.exponent;
        spelt.append(parts.mantissa).append(1, 'e').append(digits);
        number = spelt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        return OutOfRange(parts);
    }
    if (error != std::errc{} || end != number.data() + number.size()) {
        return 0.0;
    }
    return parts.negative ? -value : value;
}

std::optional<std::int32_t> EntryToPounds(std::string_view text, Unit unit) {
    double value = LeadingNumber(text);
    if (unit == Unit::Kilograms) {
        value /= KilogramsPerPound;
    }
    return RoundToInt32(value);
}

std::int32_t ToPounds(std::string_view text, Unit unit) {
    return EntryToPounds(text, unit).value_or(0);
}

std::string FromPounds(std::int32_t pounds, Unit unit) {
    if (unit != Unit::Kilograms) {
        return DecimalText(pounds);
    }
    // A kilogram figure is always smaller in magnitude than its pound
    // figure, so it fits.
    return DecimalText(RoundToInt32(pounds * KilogramsPerPound).value_or(0));
}

std::string DecimalText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string UnitSuffix(Unit unit) {
    return unit == Unit::Kilograms ? " Kgs." : " Lbs.";
}

}  // namespace tarnwell::plan
