// The numeral grammar: a scan that judges a token piece by piece.
#include "ravur_numeral.h"

#include <algorithm>

#include "words.h"

namespace ravur {

using detail::SkipDigits;

namespace {

// Where the next character of a numeral falls.
enum NumeralPart : uint8_t { kSignPart, kIntPart, kFracPart, kRefused };

// Adds a run of digits to a count; the count stops one past the limit, so a
// long token cannot overflow it.
void CountDigits(int32_t* count, const size_t run) {
  *count = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(*count) + run, kMaxNumeralDigits + 1));
}

// Where a byte that is not a digit takes the scan: a sign only in front, one
// point, nothing else.
NumeralPart PartAfter(const uint8_t part, const char c) {
  if (part == kSignPart && (c == '-' || c == '+')) return kIntPart;
  return part < kFracPart && c == '.' ? kFracPart : kRefused;
}

}  // namespace

void StartNumeralScan(NumeralScan* scan) { *scan = NumeralScan{kSignPart, 0, 0}; }

NumeralStatus NumeralScanStatus(const NumeralScan* scan) {
  if (scan->part == kRefused) return NumeralStatus::kNotANumber;
  if (scan->intDigits > kMaxNumeralDigits) return NumeralStatus::kTooManyIntDigits;
  if (scan->fracDigits > kMaxNumeralDigits) return NumeralStatus::kTooManyFracDigits;
  return NumeralStatus::kAccepted;
}

// Digits are taken a run at a time, counted on the side of the point the scan
// is on; a run in front of any sign or point begins the integer digits.
size_t ScanNumeralPrefix(NumeralScan* scan, const char* text, const size_t length) {
  const char* c = text;
  const char* const end = text + length;
  while (c != end && scan->part != kRefused) {
    const char* const run = SkipDigits(c, end);
    if (run != c) {
      if (scan->part == kSignPart) scan->part = kIntPart;
      CountDigits(scan->part == kFracPart ? &scan->fracDigits : &scan->intDigits, static_cast<size_t>(run - c));
      c = run;
    }
    if (c == end) break;
    const NumeralPart next = PartAfter(scan->part, *c);
    if (next == kRefused) break;
    scan->part = next;
    ++c;
  }
  return static_cast<size_t>(c - text);
}

void ScanNumeralText(NumeralScan* scan, const char* text, const size_t length) {
  if (ScanNumeralPrefix(scan, text, length) != length) scan->part = kRefused;
}

NumeralStatus CheckNumeral(const char* text, const size_t length) {
  NumeralScan scan;
  StartNumeralScan(&scan);
  ScanNumeralText(&scan, text, length);
  return NumeralScanStatus(&scan);
}

}  // namespace ravur
