// The library's face for numerals as text: parsed numerals that the caller
// owns, the four operations' texts written from them, and Result on top.
#include "ravur.h"

#include "number.h"
#include "text.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

namespace ravur {

using detail::LimbNumber;

namespace {

static_assert(sizeof(LimbNumber) <= kNumeralBytes && alignof(LimbNumber) <= alignof(Numeral),
              "a numeral's storage holds the limb form");
static_assert(kFrontRoom >= static_cast<size_t>(detail::kNumeralPad), "the parser's room around a front");
static_assert(detail::kLimbTextRoom <= kResultRoom, "a result's buffer holds what the limb writer uses");

// The limb form that a parse puts into a numeral's storage: a parse creates
// it there, every other function reads it.
LimbNumber* NewLimbsIn(Numeral* numeral) { return new (numeral->storage) LimbNumber; }
const LimbNumber* LimbsOf(const Numeral* numeral) {
  return std::launder(reinterpret_cast<const LimbNumber*>(numeral->storage));
}

}  // namespace

NumeralStatus ParseNumeral(Numeral* numeral, const char* text, const size_t length) {
  return detail::ParseLimbText(text, length, NewLimbsIn(numeral));
}

NumeralStatus ParseNumeralFront(Numeral* numeral, const char* text, const size_t available, size_t* length) {
  return detail::ParseLimbFront(text, available, length, NewLimbsIn(numeral));
}

size_t WriteResult(char* buffer, const Numeral* left, const Numeral* right, const Operation operation) {
  const LimbNumber* const l = LimbsOf(left);
  const LimbNumber* const r = LimbsOf(right);
  LimbNumber answer;
  switch (operation) {
    case Operation::kAdd: detail::AddLimbNumbers(l, r, &answer); break;
    case Operation::kSubtract: detail::SubtractLimbNumbers(l, r, &answer); break;
    case Operation::kMultiply: detail::MultiplyLimbNumbers(l, r, &answer); break;
    case Operation::kDivide: detail::DivideLimbNumbers(l, r, &answer); break;
  }
  return detail::FormatLimbNumber(&answer, buffer);
}

namespace {

// Which of the four operations a DxOperation is, if any.
bool OperationOf(const DxOperation operation, Operation* named) {
  const DxOperation four[] = {DxAdd, DxSubtract, DxMultiply, DxDivide};  // in Operation's order
  const auto* const found = std::find(std::begin(four), std::end(four), operation);
  *named = static_cast<Operation>(found - std::begin(four));
  return found != std::end(four);
}

// A zero-terminated text as a numeral: no more of it is read than a numeral
// can have, and one byte besides to tell a longer text.
void ParseText(const char* text, Numeral* numeral) {
  ParseNumeral(numeral, text, strnlen(text, static_cast<size_t>(kMaxNumeralLength) + 1));
}

}  // namespace

// The four operations go through parsed numerals; any other operation is
// applied to the numerals' records.
const char* Result(const char* left, const char* right, const DxOperation operation) {
  // Overwritten by the next call; never released, so never out of memory.
  static char s_szRes[kResultRoom];
  Operation named = Operation::kAdd;
  if (OperationOf(operation, &named)) {
    Numeral l;
    Numeral r;
    ParseText(left, &l);
    ParseText(right, &r);
    WriteResult(s_szRes, &l, &r, named);
  } else {
    DxNumber l;
    DxNumber r;
    DxNumber answer;
    CharArrToDxNumber(left, &l);
    CharArrToDxNumber(right, &r);
    operation(&l, &r, &answer);
    DxNumberToCharArr(s_szRes, &answer);
  }
  return s_szRes;
}

}  // namespace ravur
