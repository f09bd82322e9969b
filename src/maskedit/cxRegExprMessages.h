// Texts of the engine's errors; "%s" stands for the offending character.
#pragma once

#include <string_view>

namespace cxRegExprMessages {

inline constexpr std::string_view kStreamNotAssigned = "The source stream is not assigned";
inline constexpr std::string_view kStreamEmpty = "The source stream is empty";
inline constexpr std::string_view kMissing = "Missing '%s'";
inline constexpr std::string_view kUnnecessary = "Unnecessary '%s'";
inline constexpr std::string_view kSpaceAfterBackslash =
    "The space character is not allowed after '\\'";
inline constexpr std::string_view kHexExpected = "Hexadecimal number expected";
inline constexpr std::string_view kHexExpectedFound = "Hexadecimal number expected but '%s' found";
inline constexpr std::string_view kIllegal = "Illegal '%s'";
inline constexpr std::string_view kIllegalQuantifier = "Illegal quantifier '%s'";
inline constexpr std::string_view kStarNotApplicable = "The '*' quantifier cannot be applied here";
inline constexpr std::string_view kPlusNotApplicable = "The '+' quantifier cannot be applied here";
inline constexpr std::string_view kIncorrectParameter = "Incorrect parameter quantifier";
inline constexpr std::string_view kParameterNotApplicable =
    "The parameter quantifier cannot be applied here";
inline constexpr std::string_view kParameterTooLarge = "The parameter quantifier is too large";
inline constexpr std::string_view kAlternativeEmpty = "The alternative should not be empty";
inline constexpr std::string_view kBlockEmpty = "The block should not be empty";
inline constexpr std::string_view kIllegalInteger = "Illegal integer value";
inline constexpr std::string_view kTooBigReference = "Too big reference number";
inline constexpr std::string_view kEmptyEnumeration = "Can't create empty enumeration";
inline constexpr std::string_view kSubrangeOrder =
    "The starting character of the subrange must be less than the finishing one";
inline constexpr std::string_view kTooLarge = "The regular expression is too large";
inline constexpr std::string_view kNotCompiled = "Regular expression is not compiled";

// The argument that names a quote: the quote with a space on either side.
inline constexpr std::string_view kQuoteArgument = " ' ";

} // namespace cxRegExprMessages
