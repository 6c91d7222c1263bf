#include "platform/foundation/NumberFormatter.h"

#include <charconv>
#include <unicode/dcfmtsym.h>
#include <unicode/numberformatter.h>

namespace platform::foundation {

namespace number = icu::number;

struct NumberFormatter::Engine {
    number::LocalizedNumberFormatter formatter;
    std::string groupingSeparator;
};

namespace {

std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

icu::DecimalFormatSymbols symbolsFor(const icu::Locale& locale,
                                     const std::optional<std::string>& groupingSeparator,
                                     UErrorCode& status) {
    icu::DecimalFormatSymbols symbols(locale, status);
    if (groupingSeparator) {
        auto separator = icu::UnicodeString::fromUTF8(*groupingSeparator);
        symbols.setSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol, separator);
        symbols.setSymbol(icu::DecimalFormatSymbols::kMonetaryGroupingSeparatorSymbol, separator);
    }
    return symbols;
}

number::LocalizedNumberFormatter formatterFor(const icu::Locale& locale,
                                              NumberFormatter::Style style,
                                              const icu::DecimalFormatSymbols& symbols) {
    auto settings = number::NumberFormatter::withLocale(locale).symbols(symbols).roundingMode(
        UNUM_ROUND_HALFEVEN);
    if (style == NumberFormatter::Style::decimal) {
        // Always group in the locale's sizes: 1000 is "1 000" even where CLDR would wait for
        // five digits.
        return settings.grouping(UNUM_GROUPING_ON_ALIGNED)
            .precision(number::Precision::minMaxFraction(0, 3));
    }
    return settings.grouping(UNUM_GROUPING_OFF).precision(number::Precision::integer());
}

std::string decimalDigits(std::uint64_t value) {
    char buffer[24];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

number::FormattedNumber format(const number::LocalizedNumberFormatter& formatter,
                               const Number::Value& value, UErrorCode& status) {
    if (auto integer = std::get_if<std::int64_t>(&value)) {
        return formatter.formatInt(*integer, status);
    }
    if (auto unsignedInteger = std::get_if<std::uint64_t>(&value)) {
        // Beyond INT64_MAX only the decimal-string entry point is exact.
        auto digits = decimalDigits(*unsignedInteger);
        return formatter.formatDecimal(icu::StringPiece(digits.data(), digits.size()), status);
    }
    return formatter.formatDouble(std::get<double>(value), status);
}

} // namespace

NumberFormatter::NumberFormatter()
    : locale_(Locale::current()) {
    rebuild();
}

NumberFormatter::~NumberFormatter() = default;
NumberFormatter::NumberFormatter(const NumberFormatter&) = default;
NumberFormatter& NumberFormatter::operator=(const NumberFormatter&) = default;

void NumberFormatter::setNumberStyle(Style style) {
    style_ = style;
    rebuild();
}

std::string NumberFormatter::groupingSeparator() const {
    return engine_ ? engine_->groupingSeparator : groupingSeparator_.value_or(",");
}

void NumberFormatter::setGroupingSeparator(std::string separator) {
    groupingSeparator_ = std::move(separator);
    rebuild();
}

void NumberFormatter::setLocale(Locale locale) {
    locale_ = std::move(locale);
    rebuild();
}

void NumberFormatter::rebuild() {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale(locale_.identifier().c_str());
    auto symbols = symbolsFor(locale, groupingSeparator_, status);
    if (U_FAILURE(status)) {
        engine_.reset();
        return;
    }
    engine_ = std::make_shared<const Engine>(
        Engine{formatterFor(locale, style_, symbols),
               utf8(symbols.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol))});
}

std::optional<std::string> NumberFormatter::string(Number number) const {
    if (!engine_) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    auto formatted = format(engine_->formatter, number.value(), status);
    auto text = formatted.toString(status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return utf8(text);
}

} // namespace platform::foundation
