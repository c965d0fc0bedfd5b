// libFuzzer target for the decimal library. The input bytes are split at the
// first whitespace byte into two tokens (the rest of the input, separators and
// all, is the second one). Each token goes through CheckNumeral, the parser and
// the formatter; when both are numerals, all four operations run and their
// results are checked against properties that a single wrong digit breaks.
// Any failed property prints what failed and traps.
//
// The expected text of a numeral and its grammar are worked out here from the
// token's characters, independently of the library; the arithmetic checks use
// the library's own addition, multiplication and point shift.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "ravur.h"

#define REQUIRE(condition)                                                          \
  do {                                                                              \
    if (!(condition)) Fail(__LINE__, #condition);                                   \
  } while (0)

namespace {

using ravur::kMaxNumeralDigits, ravur::kQuotientDigits, ravur::kIntCapacity, ravur::kFracCapacity,
      ravur::DxNumber, ravur::DxOperation, ravur::IsZero, ravur::NumeralStatus, ravur::CheckNumeral,
      ravur::CharArrToDxNumber, ravur::CharArrLenByDxNumber, ravur::DxNumberToCharArr, ravur::Result,
      ravur::DxCompare, ravur::DxAdd, ravur::DxSubtract, ravur::MoveFloatPoint, ravur::DxMultiply,
      ravur::DxDivide, ravur::Numeral, ravur::Operation, ravur::ParseNumeral, ravur::ParseNumeralFront,
      ravur::WriteResult, ravur::kResultRoom, ravur::kFrontRoom;

[[noreturn]] void Fail(const int line, const char* what) {
  std::fprintf(stderr, "fuzz_calc.cpp:%d: property failed: %s\n", line, what);
  __builtin_trap();
}

bool IsSeparator(const char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsDigit(const char c) { return c >= '0' && c <= '9'; }

// A numeral as written, normalised: no leading integer zeros, no trailing
// fraction zeros, and no sign on zero.
struct Shape {
  bool negative = false;
  std::string intDigits;
  std::string fracDigits;
};

// The grammar, written out: [+-]? digit* ('.' digit*)?, at most
// kMaxNumeralDigits digits on each side as written. Fills the shape whenever
// the text matches the pattern, whatever its digit counts.
NumeralStatus Classify(const std::string& text, Shape* shape) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
  const size_t intBegin = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  const size_t intLength = i - intBegin;
  size_t fracBegin = i;
  if (i < text.size() && text[i] == '.') {
    fracBegin = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
  }
  const size_t fracLength = i - fracBegin;
  if (i != text.size()) return NumeralStatus::kNotANumber;

  std::string intDigits = text.substr(intBegin, intLength);
  std::string fracDigits = text.substr(fracBegin, fracLength);
  intDigits.erase(0, intDigits.find_first_not_of('0'));  // all of it when all zeros
  const size_t lastNonZero = fracDigits.find_last_not_of('0');
  fracDigits.resize(lastNonZero == std::string::npos ? 0 : lastNonZero + 1);
  shape->negative = negative && !(intDigits.empty() && fracDigits.empty());
  shape->intDigits = intDigits;
  shape->fracDigits = fracDigits;

  const auto limit = static_cast<size_t>(kMaxNumeralDigits);
  if (intLength > limit) return NumeralStatus::kTooManyIntDigits;
  if (fracLength > limit) return NumeralStatus::kTooManyFracDigits;
  return NumeralStatus::kAccepted;
}

std::string TextOf(const Shape& shape) {
  std::string text = shape.negative ? "-" : "";
  text += shape.intDigits.empty() ? "0" : shape.intDigits;
  if (!shape.fracDigits.empty()) text += "." + shape.fracDigits;
  return text;
}

bool IsZeroShape(const Shape& shape) { return shape.intDigits.empty() && shape.fracDigits.empty(); }

// Digits of the integer form (point removed, leading zeros stripped).
int32_t IntegerFormLength(const Shape& shape) {
  const std::string digits = shape.intDigits + shape.fracDigits;
  const size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? 0 : static_cast<int32_t>(digits.size() - first);
}

// The shape moved by `places` decimal places (10^places times the value).
Shape Shifted(const Shape& shape, const int32_t places) {
  std::string digits = shape.intDigits + shape.fracDigits;
  auto point = static_cast<int32_t>(shape.intDigits.size()) + places;
  if (point < 0) {
    digits.insert(0, static_cast<size_t>(-point), '0');
    point = 0;
  }
  if (point > static_cast<int32_t>(digits.size())) digits.append(static_cast<size_t>(point) - digits.size(), '0');
  Shape moved;
  Classify(digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point)), &moved);
  moved.negative = shape.negative && !IsZeroShape(moved);
  return moved;
}

// The record invariants every produced record keeps: counts within the room,
// digits 0 to 9 below the counts and 0 at and beyond them, flags 0 or 1, and
// normalised digits.
void CheckRecord(const DxNumber& number) {
  REQUIRE(number.isInfinite <= 1 && number.isNegative <= 1);
  REQUIRE(number.intCount >= 0 && number.intCount <= kIntCapacity);
  REQUIRE(number.fracCount >= 0 && number.fracCount <= kFracCapacity);
  for (int32_t k = 0; k < kIntCapacity; ++k) {
    REQUIRE(k < number.intCount ? number.intDigits[k] >= 0 && number.intDigits[k] <= 9 : number.intDigits[k] == 0);
  }
  for (int32_t k = 0; k < kFracCapacity; ++k) {
    REQUIRE(k < number.fracCount ? number.fracDigits[k] >= 0 && number.fracDigits[k] <= 9
                                 : number.fracDigits[k] == 0);
  }
  REQUIRE(number.intCount <= 1 || number.intDigits[number.intCount - 1] != 0);
  REQUIRE(number.fracCount == 0 || number.fracDigits[number.fracCount - 1] != 0);
}

// The text form, written into a buffer of exactly the announced size, so that
// AddressSanitizer reports any byte written past it.
std::string Format(const DxNumber& number) {
  const int32_t size = CharArrLenByDxNumber(&number);
  REQUIRE(size >= 2);
  char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  REQUIRE(buffer != nullptr);
  DxNumberToCharArr(buffer, &number);
  const std::string text(buffer, std::strlen(buffer));
  std::free(buffer);
  if (number.isInfinite) {
    REQUIRE(size == 11);
  } else {
    REQUIRE(text.size() + 1 == static_cast<size_t>(size));
  }
  return text;
}

DxNumber Parse(const std::string& text) {
  DxNumber number;
  CharArrToDxNumber(text.c_str(), &number);
  return number;
}

DxNumber Abs(DxNumber number) {
  number.isNegative = 0;
  return number;
}

DxNumber Apply(const DxOperation operation, const DxNumber& left, const DxNumber& right) {
  DxNumber result;
  std::memset(&result, 0x5A, sizeof result);  // the operation must clear what it finds
  operation(&left, &right, &result);
  CheckRecord(result);
  return result;
}

DxNumber Moved(DxNumber number, const int32_t places) {
  MoveFloatPoint(&number, places);
  CheckRecord(number);
  return number;
}

std::string Negated(const std::string& text) {
  if (text[0] == '-') return text.substr(1);
  return text == "0" ? text : "-" + text;
}

// The token with the room ParseNumeralFront reads around it: digits, which
// it must not take, and a separator after the token.
std::string Roomy(const std::string& token) {
  const std::string digits(kFrontRoom, '7');
  return digits + token + " " + digits;
}

// Checks one token, also judged whole (NUL bytes and all) by the parse of a
// numeral; true when the parser's view of it (the bytes before any NUL) is an
// accepted numeral, which is then in `number` and `shape`.
bool CheckToken(const std::string& token, DxNumber* number, Shape* shape, std::string* text) {
  Numeral numeral;
  REQUIRE(CheckNumeral(token.data(), token.size()) == Classify(token, shape));
  REQUIRE(ParseNumeral(&numeral, token.data(), token.size()) == Classify(token, shape));
  const std::string roomy = Roomy(token);
  // The front the grammar reads is the whole token, or the token is no numeral.
  size_t front = 0;
  const NumeralStatus frontStatus = ParseNumeralFront(&numeral, roomy.data() + kFrontRoom, token.size() + 1, &front);
  REQUIRE(front <= token.size());
  if (front == token.size()) {
    REQUIRE(frontStatus == Classify(token, shape));
  } else {
    REQUIRE(Classify(token, shape) == NumeralStatus::kNotANumber);
  }
  // Cut short by the bytes available (a buffer that ends within the token),
  // the front stays within them and is judged by itself.
  if (!token.empty()) {
    const size_t cut = token.size() / 2;
    Shape cutShape;
    const NumeralStatus cutStatus = ParseNumeralFront(&numeral, roomy.data() + kFrontRoom, cut, &front);
    REQUIRE(front <= cut && cutStatus == Classify(token.substr(0, front), &cutShape));
  }
  *text = token.substr(0, token.find('\0'));
  const NumeralStatus status = Classify(*text, shape);
  *number = Parse(*text);
  CheckRecord(*number);
  if (status != NumeralStatus::kAccepted) {
    // A refused text leaves the cleared record.
    REQUIRE(number->intCount == 0 && number->fracCount == 0 && number->isNegative == 0 && number->isInfinite == 0);
    return false;
  }
  REQUIRE(Format(*number) == TextOf(*shape));
  return true;
}

// MoveFloatPoint shifts by whole places and back. Shifts of up to
// kFracCapacity - kMaxNumeralDigits places keep every digit within the room.
void CheckShift(const DxNumber& a, const Shape& shape, const int32_t places) {
  const DxNumber moved = Moved(a, places);
  REQUIRE(Format(moved) == TextOf(Shifted(shape, places)));
  REQUIRE(Format(Moved(moved, -places)) == TextOf(shape));
}

// q = a / b is cut at the weight u = 10^(corr - 126) of its 127th generated
// digit: |q| x |b| <= |a| < (|q| + u) x |b|, with q a whole multiple of u.
// Worked on integer forms so that every intermediate fits the record:
// with Q = |q| / u, A = |a| x 10^fa, B = |b| x 10^fb and
// e = lenA - lenB - 126, the condition is Q x B x 10^e <= A < (Q + 1) x B x 10^e.
void CheckQuotient(const DxNumber& a, const Shape& sa, const DxNumber& b, const Shape& sb, const DxNumber& q) {
  if (IsZeroShape(sa)) {
    REQUIRE(!q.isInfinite && Format(q) == "0");
    return;
  }
  if (IsZeroShape(sb)) {
    REQUIRE(q.isInfinite && Format(q) == (sa.negative ? "-#INFINITE" : "#INFINITE"));
    return;
  }
  REQUIRE(!q.isInfinite && q.isNegative == (sa.negative != sb.negative));
  const auto fa = static_cast<int32_t>(sa.fracDigits.size());
  const auto fb = static_cast<int32_t>(sb.fracDigits.size());
  const int32_t lenA = IntegerFormLength(sa);
  const int32_t lenB = IntegerFormLength(sb);
  const int32_t corr = fb - fa + lenA - lenB;
  const int32_t e = lenA - lenB - (kQuotientDigits - 1);

  const DxNumber bigQ = Moved(Abs(q), (kQuotientDigits - 1) - corr);
  REQUIRE(bigQ.fracCount == 0);                  // no digit below the 127th
  REQUIRE(bigQ.intCount <= kQuotientDigits);     // and none above the first
  REQUIRE(!IsZero(&bigQ));
  const DxNumber bigA = Moved(Abs(a), fa);
  const DxNumber bigB = Moved(Abs(b), fb);
  REQUIRE(bigA.fracCount == 0 && bigB.fracCount == 0);

  const DxNumber one = Parse("1");
  const DxNumber low = Moved(Apply(DxMultiply, bigQ, bigB), e);
  const DxNumber high = Moved(Apply(DxMultiply, Apply(DxAdd, bigQ, one), bigB), e);
  REQUIRE(DxCompare(&low, &bigA) <= 0);
  REQUIRE(DxCompare(&bigA, &high) < 0);
}

// b cut after its first half of significant digits (toward zero), same sign.
std::string UpperHalf(const Shape& shape) {
  const std::string digits = shape.intDigits + shape.fracDigits;
  const size_t keep = digits.size() / 2;
  const size_t intSize = shape.intDigits.size();
  std::string text = shape.negative ? "-" : "";
  if (keep <= intSize) return text + digits.substr(0, keep) + std::string(intSize - keep, '0');
  return text + shape.intDigits + "." + shape.fracDigits.substr(0, keep - intSize);
}

void CheckOperations(const DxNumber& a, const Shape& sa, const std::string& ta, const DxNumber& b, const Shape& sb,
                     const std::string& tb) {
  const DxNumber sum = Apply(DxAdd, a, b);
  const DxNumber difference = Apply(DxSubtract, a, b);
  const DxNumber product = Apply(DxMultiply, a, b);
  const DxNumber quotient = Apply(DxDivide, a, b);
  const std::string sumText = Format(sum);
  const std::string differenceText = Format(difference);
  const std::string productText = Format(product);
  const std::string quotientText = Format(quotient);

  // What the driver prints comes from the numerals it parsed, by either
  // parse, and Result, which parses the texts again.
  const std::tuple<DxOperation, Operation, const std::string*> printed[] = {
      {DxAdd, Operation::kAdd, &sumText},
      {DxSubtract, Operation::kSubtract, &differenceText},
      {DxMultiply, Operation::kMultiply, &productText},
      {DxDivide, Operation::kDivide, &quotientText}};
  const std::string roomyA = Roomy(ta);
  const std::string roomyB = Roomy(tb);
  for (const bool byFront : {false, true}) {
    Numeral left;
    Numeral right;
    if (byFront) {
      size_t front = 0;
      ParseNumeralFront(&left, roomyA.data() + kFrontRoom, ta.size() + 1, &front);
      REQUIRE(front == ta.size());
      ParseNumeralFront(&right, roomyB.data() + kFrontRoom, tb.size() + 1, &front);
      REQUIRE(front == tb.size());
    } else {
      ParseNumeral(&left, ta.data(), ta.size());
      ParseNumeral(&right, tb.data(), tb.size());
    }
    for (const auto& [operation, named, text] : printed) {
      char buffer[kResultRoom];
      REQUIRE(WriteResult(buffer, &left, &right, named) == text->size() && *text == buffer);
    }
  }
  for (const auto& [operation, named, text] : printed) {
    const char* result = Result(ta.c_str(), tb.c_str(), operation);
    REQUIRE(result != nullptr && *text == result);
  }

  // Sum and difference: inverse of each other, commuting as they should.
  const DxNumber back = Apply(DxSubtract, sum, b);
  REQUIRE(DxCompare(&back, &a) == 0 && Format(back) == TextOf(sa));
  const DxNumber forth = Apply(DxAdd, difference, b);
  REQUIRE(DxCompare(&forth, &a) == 0 && Format(forth) == TextOf(sa));
  REQUIRE(Format(Apply(DxAdd, b, a)) == sumText);
  REQUIRE(Format(Apply(DxSubtract, b, a)) == Negated(differenceText));
  const DxNumber zero = Parse("0");
  REQUIRE(DxCompare(&a, &b) == DxCompare(&difference, &zero));

  // Product: the sign comes from the flags alone (0 x -5 is -0); it commutes,
  // doubling agrees with a + a, and it distributes over b split in two parts.
  REQUIRE(product.isNegative == (sa.negative != sb.negative));
  REQUIRE(Format(Apply(DxMultiply, b, a)) == productText);
  REQUIRE(Format(Apply(DxMultiply, a, Parse("2"))) == Format(Apply(DxAdd, a, a)));
  if (!IsZeroShape(sa) && !IsZeroShape(sb)) {
    const DxNumber upper = Parse(UpperHalf(sb));
    const DxNumber lower = Apply(DxSubtract, b, upper);
    const DxNumber parts = Apply(DxAdd, Apply(DxMultiply, a, upper), Apply(DxMultiply, a, lower));
    REQUIRE(Format(parts) == productText);
  }

  CheckQuotient(a, sa, b, sb, quotient);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  size_t split = 0;
  while (split < size && !IsSeparator(bytes[split])) ++split;
  const std::string left(bytes, split);
  const std::string right = split < size ? std::string(bytes + split + 1, size - split - 1) : std::string();

  DxNumber a;
  DxNumber b;
  Shape sa;
  Shape sb;
  std::string ta;
  std::string tb;
  const bool leftAccepted = CheckToken(left, &a, &sa, &ta);
  const bool rightAccepted = CheckToken(right, &b, &sb, &tb);
  if (leftAccepted) {
    const auto reach = kFracCapacity - kMaxNumeralDigits;
    CheckShift(a, sa, static_cast<int32_t>(size % (2 * reach + 1)) - reach);
  }
  if (leftAccepted && rightAccepted) CheckOperations(a, sa, ta, b, sb, tb);
  return 0;
}
