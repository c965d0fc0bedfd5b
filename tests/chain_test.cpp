// Records of every size, whatever produced them: the bounds of the record's
// room, infinite operands, and seeded chains of operations on earlier results.
// Every result is checked against exact arithmetic under the rules of ravur.h
// (reference_ravur.h), against the record's representation rules, and its
// operands for being left as they were. Only the public interface is used, so
// that any implementation of ravur.h can be held to the same rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ravur.h"
#include "reference_ravur.h"

namespace {

using ravur::kIntCapacity, ravur::kFracCapacity, ravur::kMaxNumeralDigits, ravur::DxNumber, ravur::DxOperation,
      ravur::CharArrToDxNumber, ravur::CharArrLenByDxNumber, ravur::DxNumberToCharArr, ravur::DxCompare,
      ravur::DxAdd, ravur::DxSubtract, ravur::DxMultiply, ravur::DxDivide, ravur::MoveFloatPoint;
using reference::Operation, reference::OperationOf;

// Each record alone on the heap, so that AddressSanitizer reports a byte
// read or written past it.
using Record = std::unique_ptr<DxNumber>;

Record Parse(const std::string& numeral) {
  auto number = std::make_unique<DxNumber>();
  CharArrToDxNumber(numeral.c_str(), number.get());
  return number;
}

std::string Describe(const DxNumber& number) {
  const std::string sign = number.isNegative ? "-" : "";
  return sign + (number.isInfinite ? "#INFINITE" : reference::Describe(reference::ExactOf(number)));
}

// The text, written into a buffer of exactly the size the library asks for.
std::string Text(const DxNumber& number) {
  const auto size = static_cast<size_t>(CharArrLenByDxNumber(&number));
  const std::unique_ptr<char[]> buffer(new char[size]);
  DxNumberToCharArr(buffer.get(), &number);
  return buffer.get();
}

std::string TextFault(const DxNumber& number) {
  const std::string text = Text(number);
  if (number.isInfinite) return text == (number.isNegative ? "-#INFINITE" : "#INFINITE") ? "" : "text " + text;
  if (text.size() + 1 != static_cast<size_t>(CharArrLenByDxNumber(&number))) {
    return "text of " + std::to_string(text.size()) + " characters, size " +
           std::to_string(CharArrLenByDxNumber(&number));
  }
  return "";
}

const char* NameOf(const Operation operation) {
  switch (operation) {
    case Operation::kAdd: return " + ";
    case Operation::kSubtract: return " - ";
    case Operation::kMultiply: return " x ";
    case Operation::kDivide: return " / ";
  }
  return " ? ";
}

// The first fault of a produced record: its representation, its text, then its value.
std::string Fault(const DxNumber& result, const std::string& valueFault) {
  std::string fault = reference::RecordFault(result);
  if (fault.empty()) fault = TextFault(result);
  if (fault.empty()) fault = valueFault;
  return fault;
}

// result = left (operation) right, from a result record full of junk; the
// operands' bytes must come out as they went in.
::testing::AssertionResult Apply(const Operation operation, const DxNumber& left, const DxNumber& right,
                                 DxNumber* result) {
  unsigned char leftBytes[sizeof(DxNumber)];
  unsigned char rightBytes[sizeof(DxNumber)];
  std::memcpy(leftBytes, &left, sizeof leftBytes);
  std::memcpy(rightBytes, &right, sizeof rightBytes);
  std::memset(result, 0x5A, sizeof *result);
  OperationOf(operation)(&left, &right, result);
  std::string fault;
  if (std::memcmp(leftBytes, &left, sizeof leftBytes) != 0 || std::memcmp(rightBytes, &right, sizeof rightBytes) != 0) {
    fault = "an operand changed";
  } else {
    fault = Fault(*result, reference::ResultFault(operation, left, right, *result));
  }
  if (fault.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Describe(left) << NameOf(operation) << Describe(right) << ": " << fault;
}

// *after = before moved by places.
::testing::AssertionResult Shift(const DxNumber& before, const int32_t places, DxNumber* after) {
  std::memcpy(after, &before, sizeof before);
  MoveFloatPoint(after, places);
  const std::string fault = Fault(*after, reference::ShiftFault(before, places, *after));
  if (fault.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Describe(before) << " moved by " << places << ": " << fault;
}

::testing::AssertionResult Compared(const DxNumber& left, const DxNumber& right) {
  std::string fault = reference::CompareFault(left, right, DxCompare(&left, &right));
  if (fault.empty()) fault = reference::CompareFault(right, left, DxCompare(&right, &left));
  if (fault.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Describe(left) << " against " << Describe(right) << ": " << fault;
}

// The operation's result, checked.
Record Checked(const Operation operation, const DxNumber& left, const DxNumber& right) {
  auto result = std::make_unique<DxNumber>();
  EXPECT_TRUE(Apply(operation, left, right, result.get()));
  return result;
}

Record Moved(const DxNumber& number, const int32_t places) {
  auto result = std::make_unique<DxNumber>();
  EXPECT_TRUE(Shift(number, places, result.get()));
  return result;
}

// 10^exponent, a record of one digit moved into place.
Record PowerOfTen(const int32_t exponent, const char* digit = "1") { return Moved(*Parse(digit), exponent); }

const std::string kNines(kMaxNumeralDigits, '9');

// --- The issue's example and the bounds of the room --------------------------

TEST(Bounds, ResultsOfResultsFromTheIssue) {
  // x = 10^255 - 1; q = x^4 has 1020 integer digits, the record's room; q + q has 1021.
  const Record x = Parse(kNines);
  const Record p = Checked(Operation::kMultiply, *x, *x);
  const Record q = Checked(Operation::kMultiply, *p, *p);
  EXPECT_EQ(q->intCount, kIntCapacity);
  EXPECT_EQ(q->isInfinite, 0);
  const Record s = Checked(Operation::kAdd, *q, *q);
  EXPECT_EQ(Text(*s), "#INFINITE");
  // y = 10^-255: (y x y) x y = 10^-765 is cut to 0 at the fraction room.
  const Record y = Parse("0." + std::string(kMaxNumeralDigits - 1, '0') + "1");
  const Record yy = Checked(Operation::kMultiply, *y, *y);
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *yy, *y)), "0");
  // x = the widest numeral: (x x x) x x has 765 integer digits, exact, and
  // its fraction cut to kFracCapacity digits.
  const Record w = Parse(kNines + "." + kNines);
  const Record ww = Checked(Operation::kMultiply, *w, *w);
  const Record www = Checked(Operation::kMultiply, *ww, *w);
  EXPECT_EQ(www->intCount, 3 * kMaxNumeralDigits);
  EXPECT_EQ(www->fracCount, kFracCapacity);
  EXPECT_EQ(www->isInfinite, 0);
  // 1 / 0 then + 5 stays infinite.
  const Record infinite = Checked(Operation::kDivide, *Parse("1"), *Parse("0"));
  EXPECT_EQ(Text(*Checked(Operation::kAdd, *infinite, *Parse("5"))), "#INFINITE");
}

TEST(Bounds, IntegerRoomFitsOrIsInfinite) {
  const int32_t top = kIntCapacity - 1;  // the weight of the room's highest digit
  const Record fourTop = PowerOfTen(top, "4");
  const Record fiveTop = PowerOfTen(top, "5");
  const Record minusFiveTop = PowerOfTen(top, "-5");
  EXPECT_EQ(fiveTop->intCount, kIntCapacity);
  // Sums and differences: 9 x 10^1019 fits, 10 x 10^1019 does not.
  EXPECT_EQ(Checked(Operation::kAdd, *fourTop, *fiveTop)->intCount, kIntCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kAdd, *fiveTop, *fiveTop)), "#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kSubtract, *minusFiveTop, *fiveTop)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kSubtract, *fiveTop, *minusFiveTop)), "#INFINITE");
  EXPECT_EQ(Checked(Operation::kSubtract, *fiveTop, *fourTop)->intCount, kIntCapacity);
  // The widest integer plus a fraction, and plus one unit of its last place.
  const Record widest = Checked(Operation::kSubtract, *PowerOfTen(top), *Parse("1"));  // 10^1019 - 1
  const Record allNines = Checked(Operation::kAdd, *widest, *Checked(Operation::kMultiply, *PowerOfTen(top), *Parse("9")));
  EXPECT_EQ(allNines->intCount, kIntCapacity);
  const Record fraction = PowerOfTen(-kFracCapacity);
  EXPECT_EQ(Checked(Operation::kAdd, *allNines, *fraction)->fracCount, kFracCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kAdd, *allNines, *Parse("1"))), "#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kSubtract, *Parse("-1"), *allNines)), "-#INFINITE");
  // Products: 10^509 x 10^510 fits, 10^510 x 10^510 does not; (10^510 - 1)^2
  // fills the room, its negation too.
  EXPECT_EQ(Checked(Operation::kMultiply, *PowerOfTen(509), *PowerOfTen(510))->intCount, kIntCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *PowerOfTen(510), *PowerOfTen(510, "-1"))), "-#INFINITE");
  const Record nines510 = Checked(Operation::kSubtract, *PowerOfTen(510), *Parse("1"));
  EXPECT_EQ(Checked(Operation::kMultiply, *nines510, *Moved(*nines510, 0))->intCount, kIntCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *allNines, *Parse("-1.1"))), "-#INFINITE");
  EXPECT_EQ(Checked(Operation::kMultiply, *allNines, *Parse("0.9"))->intCount, kIntCapacity);
  // Quotients: 10^1019 / 1 fits; 10^1019 / 0.1 and the widest integer over
  // the smallest fraction do not.
  EXPECT_EQ(Checked(Operation::kDivide, *PowerOfTen(top), *Parse("1"))->intCount, kIntCapacity);
  EXPECT_EQ(Checked(Operation::kDivide, *PowerOfTen(top), *Parse("-0.1"))->isInfinite, 1);
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *allNines, *Moved(*fraction, 0))), "#INFINITE");
  EXPECT_EQ(Checked(Operation::kDivide, *PowerOfTen(top - kFracCapacity), *fraction)->intCount, kIntCapacity);
  // Quotients whose first generated digit is 0 (the dividend's digits below
  // the divisor's, aligned): 127 digits reaching one place past the room
  // have 1020 integer digits from the first non-zero one.
  EXPECT_EQ(Checked(Operation::kDivide, *PowerOfTen(top), *Parse("0.9"))->intCount, kIntCapacity);
  EXPECT_EQ(Checked(Operation::kDivide, *PowerOfTen(top), *Parse("-0.09"))->isInfinite, 1);
  EXPECT_EQ(Checked(Operation::kDivide, *PowerOfTen(top - 1), *Parse("0.09"))->intCount, kIntCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *PowerOfTen(top - kFracCapacity + 1, "-1"), *fraction)), "-#INFINITE");
  // Shifts: 5 moved by 1019 places fits, by 1020 does not; a fraction's first
  // digit counts from where it lands.
  EXPECT_EQ(Moved(*Parse("5"), top)->intCount, kIntCapacity);
  EXPECT_EQ(Text(*Moved(*Parse("-5"), kIntCapacity)), "-#INFINITE");
  EXPECT_EQ(Moved(*Parse("0.05"), kIntCapacity + 1)->intCount, kIntCapacity);
  EXPECT_EQ(Moved(*Parse("0.05"), kIntCapacity + 2)->isInfinite, 1);
  EXPECT_EQ(Moved(*fraction, kIntCapacity + kFracCapacity - 1)->intCount, kIntCapacity);
  EXPECT_EQ(Moved(*fraction, kIntCapacity + kFracCapacity)->isInfinite, 1);
  EXPECT_EQ(Text(*Moved(*Parse("0"), INT32_MAX)), "0");
  EXPECT_EQ(Text(*Moved(*Parse("7"), INT32_MAX)), "#INFINITE");
}

TEST(Bounds, FractionRoomIsCut) {
  // Products: 10^-300 x 10^-337 fills the fraction room, 10^-300 x 10^-338 is
  // cut to zero, and keeps its sign.
  EXPECT_EQ(Checked(Operation::kMultiply, *PowerOfTen(-300), *PowerOfTen(-337))->fracCount, kFracCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *PowerOfTen(-300), *PowerOfTen(-338))), "0");
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *PowerOfTen(-300), *PowerOfTen(-338, "-1"))), "-0");
  // A record of kFracCapacity fraction digits times 1.1: one digit more, cut.
  const Record full = Checked(Operation::kSubtract, *Parse("1"), *PowerOfTen(-kFracCapacity));  // 0.999...9
  EXPECT_EQ(full->fracCount, kFracCapacity);
  const Record cut = Checked(Operation::kMultiply, *full, *Parse("1.1"));
  EXPECT_EQ(cut->fracCount, kFracCapacity);
  EXPECT_EQ(Text(*cut).substr(0, 6), "1.0999");
  EXPECT_EQ(Text(*cut).back(), '8');  // 1.0999...98|9 cut, not rounded
  // Two records of 637 fraction digits: only fraction digits, 1274 of them, cut.
  const Record square = Checked(Operation::kMultiply, *full, *full);  // 0.999...98000...01
  EXPECT_EQ(square->intCount, 0);
  EXPECT_EQ(square->fracCount, kFracCapacity);
  // Sums of full fractions stay exact.
  EXPECT_EQ(Checked(Operation::kAdd, *full, *full)->fracCount, kFracCapacity);
  // Quotients: 1 / 10^637 fills the room, 1 / 10^638 is cut to zero, -0 for a negative dividend.
  EXPECT_EQ(Checked(Operation::kDivide, *Parse("1"), *PowerOfTen(kFracCapacity))->fracCount, kFracCapacity);
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *Parse("1"), *PowerOfTen(kFracCapacity + 1))), "0");
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *Parse("-1"), *PowerOfTen(kFracCapacity + 1))), "-0");
  // A quotient whose 127 digits run past the room: 1/3 moved down.
  const Record third = Checked(Operation::kDivide, *PowerOfTen(-600), *Parse("3"));
  EXPECT_EQ(third->fracCount, kFracCapacity);
  // Shifts: 0.1 by -636 places fills the room, by -637 it is cut away.
  EXPECT_EQ(Moved(*Parse("0.1"), -(kFracCapacity - 1))->fracCount, kFracCapacity);
  EXPECT_EQ(Text(*Moved(*Parse("-0.1"), -kFracCapacity)), "-0");
  EXPECT_EQ(Text(*Moved(*Parse("12.5"), -(kFracCapacity - 1))).back(), '5');
  EXPECT_EQ(Text(*Moved(*Parse("12.5"), -kFracCapacity)).back(), '2');
  EXPECT_EQ(Text(*Moved(*Parse("7"), INT32_MIN)), "0");
}

// --- Infinite operands ------------------------------------------------------

TEST(Infinite, StickyWithTheSignRules) {
  const Record plus = Checked(Operation::kDivide, *Parse("1"), *Parse("0"));
  const Record minus = Checked(Operation::kDivide, *Parse("-1"), *Parse("0"));
  ASSERT_EQ(Text(*plus), "#INFINITE");
  ASSERT_EQ(Text(*minus), "-#INFINITE");
  const Record finite[] = {Parse("5"), Parse("-5"), Parse("0"), Parse("-0.5"), Parse(kNines + "." + kNines)};
  for (const DxNumber* infinite : {plus.get(), minus.get()}) {
    for (const Record& other : finite) {
      for (const Operation operation : {Operation::kAdd, Operation::kSubtract, Operation::kMultiply, Operation::kDivide}) {
        EXPECT_EQ(Checked(operation, *infinite, *other)->isInfinite, 1);
        EXPECT_EQ(Checked(operation, *other, *infinite)->isInfinite, 1);
      }
    }
    for (const DxNumber* another : {plus.get(), minus.get()}) {
      for (const Operation operation : {Operation::kAdd, Operation::kSubtract, Operation::kMultiply, Operation::kDivide}) {
        EXPECT_EQ(Checked(operation, *infinite, *another)->isInfinite, 1);
      }
    }
  }
  // The signs, spelled out: a sum takes the infinite operand's, a difference
  // the left one's or the right one's turned, products and quotients the two
  // signs' product; 0 / infinite and infinite / 0 are infinite.
  EXPECT_EQ(Text(*Checked(Operation::kAdd, *Parse("5"), *minus)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kAdd, *minus, *plus)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kSubtract, *Parse("5"), *minus)), "#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kSubtract, *minus, *minus)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kSubtract, *plus, *Parse("-5"))), "#INFINITE");
  const Record minusZero = Checked(Operation::kMultiply, *Parse("0"), *Parse("-5"));
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *minus, *minusZero)), "#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kMultiply, *Parse("0"), *minus)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *Parse("0"), *minus)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *Parse("-0.5"), *plus)), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *minus, *Parse("0"))), "-#INFINITE");
  EXPECT_EQ(Text(*Checked(Operation::kDivide, *plus, *Parse("0"))), "#INFINITE");
  // MoveFloatPoint drops the flag of any shift but 0.
  EXPECT_EQ(Moved(*minus, 0)->isInfinite, 1);
  EXPECT_EQ(Moved(*minus, 1)->isInfinite, 0);
}

TEST(Infinite, ComparedBeyondEveryFiniteRecordOfItsSign) {
  const Record plus = Checked(Operation::kDivide, *Parse("1"), *Parse("0"));
  const Record minus = Checked(Operation::kDivide, *Parse("-1"), *Parse("0"));
  const Record allNines = Checked(Operation::kSubtract, *PowerOfTen(kIntCapacity - 1, "9"), *PowerOfTen(-kFracCapacity));
  const Record records[] = {Parse("0"), Parse("-0.5"), Moved(*allNines, 0),
                            Checked(Operation::kSubtract, *Parse("0"), *allNines)};
  for (const Record& finite : records) {
    EXPECT_EQ(DxCompare(plus.get(), finite.get()), 1) << Describe(*finite);
    EXPECT_EQ(DxCompare(finite.get(), plus.get()), -1) << Describe(*finite);
    EXPECT_EQ(DxCompare(minus.get(), finite.get()), -1) << Describe(*finite);
    EXPECT_EQ(DxCompare(finite.get(), minus.get()), 1) << Describe(*finite);
    EXPECT_TRUE(Compared(*plus, *finite));
    EXPECT_TRUE(Compared(*minus, *finite));
  }
  EXPECT_EQ(DxCompare(plus.get(), plus.get()), 0);
  EXPECT_EQ(DxCompare(minus.get(), Checked(Operation::kMultiply, *minus, *Parse("7")).get()), 0);
  EXPECT_EQ(DxCompare(minus.get(), plus.get()), -1);
}

// --- Chains -----------------------------------------------------------------

// A numeral of one of the families at the edges: random digits, all nines,
// a power of ten, 5 x a power of ten, zero, sparse digits; each side 0 to 255
// digits, often none, few or all 255.
std::string RandomNumeral(std::mt19937* rng) {
  std::uniform_int_distribution<int32_t> percent(0, 99);
  const auto length = [&]() {
    const int32_t roll = percent(*rng);
    if (roll < 15) return 0;
    if (roll < 30) return std::uniform_int_distribution<int32_t>(1, 3)(*rng);
    if (roll < 50) return kMaxNumeralDigits;
    return std::uniform_int_distribution<int32_t>(1, kMaxNumeralDigits)(*rng);
  };
  const int32_t family = percent(*rng) % 6;
  const int32_t intLength = length();
  const int32_t fracLength = length();
  std::string text = percent(*rng) < 50 ? "-" : "";
  const auto digits = [&](const int32_t count, const bool integer) {
    std::string run;
    for (int32_t k = 0; k < count; ++k) {
      const bool lead = integer ? k == 0 : k == count - 1;
      switch (family) {
        case 1: run += '9'; break;
        case 2: run += lead ? '1' : '0'; break;
        case 3: run += lead ? '5' : '0'; break;
        case 4: run += '0'; break;
        case 5: run += percent(*rng) < 90 ? '0' : '3'; break;
        default: run += static_cast<char>('0' + percent(*rng) % 10); break;
      }
    }
    return run;
  };
  if (family == 2 || family == 3) {  // one side only: 10^k or 10^-k
    if (percent(*rng) < 50) return text + digits(std::max(intLength, 1), true);
    return text + "." + std::string(static_cast<size_t>(std::max(fracLength, 1) - 1), '0') + (family == 2 ? "1" : "5");
  }
  // One after the other: the order of a sum's operands is not sequenced, and
  // the chains must be the same on every platform.
  const std::string intDigits = digits(intLength, true);
  const std::string fracDigits = digits(fracLength, false);
  return text + intDigits + "." + fracDigits;
}

// The weight of the highest non-zero digit (0 for zero).
int32_t TopWeight(const DxNumber& number) {
  if (number.intCount > 1 || (number.intCount == 1 && number.intDigits[0] != 0)) return number.intCount - 1;
  for (int32_t k = 0; k < number.fracCount; ++k) {
    if (number.fracDigits[k] != 0) return -(k + 1);
  }
  return 0;
}

// A shift that is random, small, or lands the record's highest digit on
// either side of either bound of the room, or its lowest on either side of
// the fraction's; now and then the extremes.
int32_t RandomShift(std::mt19937* rng, const DxNumber& number) {
  const reference::Exact value = reference::ExactOf(number);
  const int32_t roll = std::uniform_int_distribution<int32_t>(0, 99)(*rng);
  const int32_t near = std::uniform_int_distribution<int32_t>(-1, 1)(*rng);
  if (roll < 20) return std::uniform_int_distribution<int32_t>(-1700, 1700)(*rng);
  if (roll < 35) return std::uniform_int_distribution<int32_t>(-20, 20)(*rng);
  if (roll < 60) return kIntCapacity - 1 - TopWeight(number) + near;
  if (roll < 75) return -kFracCapacity - TopWeight(number) + near;
  if (roll < 90) return reference::FractionDigits(value) - kFracCapacity + near;
  const int32_t extremes[] = {INT32_MIN, INT32_MAX, kIntCapacity + kFracCapacity, -(kIntCapacity + kFracCapacity), 0};
  return extremes[roll % 5];
}

// How often the chains met each rule, so that a change of the generator that
// stops reaching one shows.
struct Tally {
  int infiniteOperands = 0;
  int sumsOverflowed = 0;
  int productsOverflowed = 0;
  int quotientsOverflowed = 0;
  int shiftsOverflowed = 0;
  int productsCut = 0;
  int quotientsCut = 0;
  int shiftsCut = 0;
  int fullIntegerRoom = 0;
  int fullFractionRoom = 0;
  int results = 0;
};

// kind: '+' a sum or difference, '*' a product, '/' a quotient, 's' a shift;
// cut: the exact result had more fraction digits than the room.
void Count(Tally* tally, const char kind, const bool cut, const DxNumber& left, const DxNumber& right,
           const DxNumber& result) {
  ++tally->results;
  const bool infiniteIn = left.isInfinite || (kind != 's' && right.isInfinite);
  if (infiniteIn) {
    ++tally->infiniteOperands;
    return;
  }
  const bool zeroDivisor = kind == '/' && right.intCount <= 1 && right.intDigits[0] == 0 && right.fracCount == 0;
  if (result.isInfinite && !zeroDivisor) {
    if (kind == '+') ++tally->sumsOverflowed;
    if (kind == '*') ++tally->productsOverflowed;
    if (kind == '/') ++tally->quotientsOverflowed;
    if (kind == 's') ++tally->shiftsOverflowed;
    return;
  }
  if (result.isInfinite) return;
  if (result.intCount == kIntCapacity) ++tally->fullIntegerRoom;
  if (result.fracCount == kFracCapacity) ++tally->fullFractionRoom;
  if (cut && kind == '*') ++tally->productsCut;
  if (cut && kind == '/') ++tally->quotientsCut;
  if (cut && kind == 's') ++tally->shiftsCut;
}

constexpr int kChains = 2000;

TEST(Chains, MatchExactArithmetic) {
  std::mt19937 rng(19);
  std::uniform_int_distribution<int32_t> percent(0, 99);
  Tally tally;
  for (int chain = 0; chain < kChains; ++chain) {
    std::vector<Record> pool;
    const int32_t numerals = std::uniform_int_distribution<int32_t>(2, 4)(rng);
    for (int32_t k = 0; k < numerals; ++k) pool.push_back(Parse(RandomNumeral(&rng)));
    // Mostly the latest result, so that chains go deep; otherwise any earlier one.
    const auto pick = [&]() -> const DxNumber& {
      if (percent(rng) < 50) return *pool.back();
      const auto last = static_cast<int32_t>(pool.size()) - 1;
      return *pool[static_cast<size_t>(std::uniform_int_distribution<int32_t>(0, last)(rng))];
    };
    const int32_t steps = std::uniform_int_distribution<int32_t>(3, 12)(rng);
    for (int32_t step = 0; step < steps; ++step) {
      const DxNumber* left = &pick();
      const DxNumber* right = percent(rng) < 20 ? left : &pick();
      int32_t roll = percent(rng);
      // Steered now and then to the bounds: a result filling the integer
      // room into a sum, a tiny one into a divisor.
      const DxNumber& latest = *pool.back();
      if (!latest.isInfinite && latest.intCount == kIntCapacity && percent(rng) < 40) {
        left = &latest;
        roll = percent(rng) % 35;  // a sum or difference
      } else if (!latest.isInfinite && TopWeight(latest) < -kFracCapacity / 2 && percent(rng) < 40) {
        right = &latest;
        for (const Record& record : pool) {
          if (!record->isInfinite && TopWeight(*record) > TopWeight(*left)) left = record.get();
        }
        roll = 60;  // a quotient of the largest finite record so far
      }
      auto result = std::make_unique<DxNumber>();
      char kind = 's';
      bool cut = false;
      if (roll < 80) {
        const Operation operation = roll < 20   ? Operation::kAdd
                                    : roll < 35 ? Operation::kSubtract
                                    : roll < 60 ? Operation::kMultiply
                                                : Operation::kDivide;
        kind = operation == Operation::kMultiply ? '*' : operation == Operation::kDivide ? '/' : '+';
        // A product's fraction digits are at most the sum of its operands';
        // a quotient's run to its 127th digit, cut by the room when it ends past it.
        cut = (kind == '*' && left->fracCount + right->fracCount > kFracCapacity) ||
              (kind == '/' && TopWeight(*left) - TopWeight(*right) - (ravur::kQuotientDigits - 1) < -kFracCapacity);
        ASSERT_TRUE(Apply(operation, *left, *right, result.get())) << "chain " << chain << ", step " << step;
      } else {
        const int32_t places = RandomShift(&rng, *left);
        cut = places < 0 && int64_t{reference::FractionDigits(reference::ExactOf(*left))} - places > kFracCapacity;
        ASSERT_TRUE(Shift(*left, places, result.get())) << "chain " << chain << ", step " << step;
      }
      ASSERT_TRUE(Compared(*result, pick())) << "chain " << chain << ", step " << step;
      Count(&tally, kind, cut, *left, *right, *result);
      pool.push_back(std::move(result));
    }
  }
  std::printf("%d results: %d of infinite operands; overflowed to infinite: %d sums or differences, %d products, "
              "%d quotients, %d shifts; cut: %d products, %d quotients, %d shifts; %d filling the integer room, "
              "%d the fraction room\n",
              tally.results, tally.infiniteOperands, tally.sumsOverflowed, tally.productsOverflowed,
              tally.quotientsOverflowed, tally.shiftsOverflowed, tally.productsCut, tally.quotientsCut,
              tally.shiftsCut, tally.fullIntegerRoom, tally.fullFractionRoom);
  // About half of what the seed gives: each rule met often enough to count.
  EXPECT_GE(tally.infiniteOperands, 500);
  EXPECT_GE(tally.sumsOverflowed, 10);
  EXPECT_GE(tally.productsOverflowed, 50);
  EXPECT_GE(tally.quotientsOverflowed, 20);
  EXPECT_GE(tally.shiftsOverflowed, 100);
  EXPECT_GE(tally.productsCut, 80);
  EXPECT_GE(tally.quotientsCut, 25);
  EXPECT_GE(tally.shiftsCut, 300);
  EXPECT_GE(tally.fullIntegerRoom, 120);
  EXPECT_GE(tally.fullFractionRoom, 200);
}

}  // namespace
