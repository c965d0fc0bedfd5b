// Numerals read into numbers as limbs, and numbers as limbs written as text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "number.h"

namespace ravur::detail {

// Parses the `length` bytes at text the way CharArrToDxNumber does: a
// numeral CheckNumeral accepts becomes its normalised value, a zero without
// sign; anything else becomes zero. Returns CheckNumeral's verdict on the
// text; a text longer than any numeral is judged, not read as a number.
NumeralStatus ParseLimbText(const char* text, size_t length, LimbNumber* number);
// Parses the front of the `available` bytes at text that the numeral grammar
// reads (a sign, digits, a point, digits; none of the bytes past them), with
// its length in *length, as ParseLimbText parses a text of that length.
// The text is read in whole words: kNumeralPad bytes before text, and as
// many from text[available] on, must be readable (of any value).
constexpr int32_t kNumeralPad = 8;
NumeralStatus ParseLimbFront(const char* text, size_t available, size_t* length, LimbNumber* number);

// The number, without sign, whose integer digits are the characters [intBegin,
// intEnd) and fraction digits [fracBegin, fracEnd), aligned on the point and
// normalised, as the parsers read a numeral's runs. A character that is not
// '0' lies before fracBegin, and kNumeralPad bytes before each run are read.
void ReadDigitRuns(const char* intBegin, const char* intEnd, const char* fracBegin, const char* fracEnd,
                   RecordLimbs* number);

// Bytes the text of any number formed on accepted numerals needs, with the
// terminator and the kNineDigits - 1 bytes the writer may use past it (it
// writes a limb's digits nine at a time).
constexpr int32_t kLimbTextRoom = kLongestText + kNineDigits;

// Writes the text DxNumberToCharArr gives the same value: optional "-", then
// "#INFINITE" or the integer digits ("0" when there are none), then "." and
// the fraction digits without trailing zeros when there are any; then the
// terminator. Returns the length. buffer holds kLimbTextRoom bytes.
size_t FormatLimbNumber(const LimbNumber* number, char* buffer);

// Writes the kLimbDigits x count digits of limbs[0..count) (count >= 1), the
// top limb's first, leading zeros included, and returns their end; the byte
// there may be written too.
char* WriteLimbDigits(const Limb* limbs, int32_t count, char* out);

}  // namespace ravur::detail
