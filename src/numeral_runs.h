// A numeral's digit runs, found in one pass over its text: the numeral
// grammar as the parsers read it, and CheckNumeral's verdict from the runs.
// (NumeralScan judges the same grammar a piece at a time, for a token that
// arrives in pieces.)
#pragma once

#include <cstddef>

#include "ravur_numeral.h"
#include "words.h"

namespace ravur::detail {

// The digit runs of a numeral's text: intBegin to intEnd the integer
// digits (after any sign), fracBegin to fracEnd the fraction digits (after
// the point; both at intEnd when there is none).
struct NumeralRuns {
  const char* intBegin;
  const char* intEnd;
  const char* fracBegin;
  const char* fracEnd;
};

// The runs of the front of text that the numeral grammar reads: a sign,
// digits, a point, digits. skip(from) finds the first byte at or after from
// that is not a digit, short of limit, the first byte the grammar may not
// take.
template <typename Skip>
inline NumeralRuns ScanRuns(const char* text, const char* limit, const Skip skip) {
  const bool isSigned = text != limit && (*text == '-' || *text == '+');
  const char* const intBegin = text + (isSigned ? 1 : 0);
  const char* const intEnd = skip(intBegin);
  if (intEnd == limit || *intEnd != '.') return {intBegin, intEnd, intEnd, intEnd};
  return {intBegin, intEnd, intEnd + 1, skip(intEnd + 1)};
}

// The runs of the front of text[0..length) that the grammar reads, none of
// the bytes from text[length] on read.
inline NumeralRuns ScanRunsWithin(const char* text, const size_t length) {
  const char* const limit = text + length;
  return ScanRuns(text, limit, [limit](const char* from) { return SkipDigits(from, limit); });
}

// ScanRunsWithin for a text with kWordBytes bytes of room on either side:
// up to kWordBytes bytes from text[length] on are read.
inline NumeralRuns ScanRunsInRoom(const char* text, const size_t length) {
  const char* const limit = text + length;
  return ScanRuns(text, limit, [limit](const char* from) { return SkipDigitsInRoom(from, limit); });
}

// CheckNumeral's verdict on the `length` bytes at text, from their runs:
// refused in the order CheckNumeral refuses (the grammar, when the runs stop
// short of the end; the integer digits; the fraction digits).
inline NumeralStatus RunsVerdict(const char* text, const size_t length, const NumeralRuns& runs) {
  if (runs.fracEnd != text + length) return NumeralStatus::kNotANumber;
  // A text of at most kMaxNumeralDigits bytes has no run longer.
  if (length > static_cast<size_t>(kMaxNumeralDigits)) {
    if (runs.intEnd - runs.intBegin > kMaxNumeralDigits) return NumeralStatus::kTooManyIntDigits;
    if (runs.fracEnd - runs.fracBegin > kMaxNumeralDigits) return NumeralStatus::kTooManyFracDigits;
  }
  return NumeralStatus::kAccepted;
}

}  // namespace ravur::detail
