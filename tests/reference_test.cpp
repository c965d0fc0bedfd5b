// The optimised arithmetic against the straightforward reference steps, record
// by record (counts, flags and every digit position, zeros beyond the counts
// included), on random records of every shape: normalised or not, with or
// without integer digits, both signs, infinite or not, up to the room of an
// accepted numeral, and for the sum, difference, comparison and point shift
// up to the record's whole room.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "divide.h"
#include "limbs.h"
#include "ravur.h"
#include "reference_ravur.h"
#include "words.h"

namespace {

using ravur::detail::kLimbDigits;
using ravur::kMaxNumeralDigits, ravur::kIntCapacity, ravur::kFracCapacity, ravur::InitDxNumberToZero, ravur::AdjustBits, ravur::IsZero,
      ravur::CharArrToDxNumber, ravur::DxCompare, ravur::DxAdd, ravur::DxSubtract, ravur::MoveFloatPoint,
      ravur::DxMultiply, ravur::DxDivide, ravur::DxNumberToCharArr, ravur::Result, ravur::Numeral, ravur::ParseNumeral,
      ravur::ParseNumeralFront, ravur::WriteResult, ravur::CheckNumeral, ravur::NumeralStatus, ravur::DxOperation;

constexpr int kRecords = 2000;

// Digit counts on and around each multiple of the limb size, up to the room
// of a numeral: where gathering into limbs and spreading back change over.
int32_t LimbBoundaryCount(std::mt19937* rng) {
  const int32_t multiple = kLimbDigits * std::uniform_int_distribution<int32_t>(1, kMaxNumeralDigits / kLimbDigits)(*rng);
  return std::min(multiple + std::uniform_int_distribution<int32_t>(-1, 1)(*rng), kMaxNumeralDigits);
}

// A record of up to an accepted numeral's digits a side, or (wide) up to the
// room, a quarter of them filling it.
ravur::DxNumber RandomRecord(std::mt19937* rng, const bool normalised, const bool wide = false) {
  std::uniform_int_distribution<int32_t> pick(0, 99);
  const auto count = [&](const int32_t room) {
    const int32_t roll = pick(*rng);
    if (roll < 15) return 0;
    if (wide && roll < 40) return room;
    if (wide) return std::uniform_int_distribution<int32_t>(1, room)(*rng);
    if (roll < 30) return std::uniform_int_distribution<int32_t>(1, 3)(*rng);
    if (roll < 40) return kMaxNumeralDigits;
    if (roll < 55) return LimbBoundaryCount(rng);
    return std::uniform_int_distribution<int32_t>(1, roll < 85 ? 20 : kMaxNumeralDigits)(*rng);
  };
  // random, all nines, all zeros, a power of ten, sparse, runs of zeros a limb long
  const int family = pick(*rng) % 6;
  const auto digit = [&](const int32_t k) -> int8_t {
    switch (family) {
      case 1: return 9;
      case 2: return 0;
      case 3: return 0;
      case 4: return pick(*rng) < 90 ? 0 : 7;
      case 5: return (k / kLimbDigits) % 2 == 0 ? 0 : static_cast<int8_t>(pick(*rng) % 10);
      default: return static_cast<int8_t>(pick(*rng) % 10);
    }
  };
  ravur::DxNumber number;
  InitDxNumberToZero(&number);
  number.intCount = count(kIntCapacity);
  number.fracCount = count(kFracCapacity);
  for (int32_t k = 0; k < number.intCount; ++k) number.intDigits[k] = digit(k);
  for (int32_t k = 0; k < number.fracCount; ++k) number.fracDigits[k] = digit(k);
  if (family == 3 && number.intCount > 0) number.intDigits[number.intCount - 1] = 1;
  number.isNegative = pick(*rng) < 50;
  number.isInfinite = pick(*rng) < 5;
  if (normalised) AdjustBits(&number);
  return number;
}

reference::DxNumber AsReference(const ravur::DxNumber& number) {
  reference::DxNumber copy;
  std::memcpy(&copy, &number, sizeof copy);
  return copy;
}

::testing::AssertionResult SameRecord(const ravur::DxNumber& got, const reference::DxNumber& want) {
  if (got.intCount == want.intCount && got.fracCount == want.fracCount && got.isInfinite == want.isInfinite &&
      got.isNegative == want.isNegative && std::memcmp(got.intDigits, want.intDigits, sizeof got.intDigits) == 0 &&
      std::memcmp(got.fracDigits, want.fracDigits, sizeof got.fracDigits) == 0) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "counts " << got.intCount << "/" << got.fracCount << " want "
                                       << want.intCount << "/" << want.fracCount << ", flags "
                                       << int{got.isInfinite} << int{got.isNegative} << " want "
                                       << int{want.isInfinite} << int{want.isNegative};
}

// One operation on the same operands through both implementations; the result
// record starts out filled with junk, so that a position left unwritten shows.
// Also counts the results that came out infinite from finite operands.
template <typename Fast, typename Reference>
bool SameResult(Fast fast, Reference reference, const ravur::DxNumber& left, const ravur::DxNumber& right,
                int* overflows = nullptr) {
  ravur::DxNumber got;
  std::memset(&got, 0x5A, sizeof got);
  fast(&left, &right, &got);
  const reference::DxNumber l = AsReference(left);
  const reference::DxNumber r = AsReference(right);
  reference::DxNumber want;
  reference(&l, &r, &want);
  if (overflows != nullptr && got.isInfinite && !left.isInfinite && !right.isInfinite) ++*overflows;
  return SameRecord(got, want);
}

// wide: records up to the whole room (the reference's multiplication and
// division only hold up to an accepted numeral's). Returns the overflows.
template <typename Fast, typename Reference>
int CompareOperation(Fast fast, Reference reference, const uint32_t seed,
                     const bool wide = false) {
  std::mt19937 rng(seed);
  int overflows = 0;
  for (int i = 0; i < kRecords; ++i) {
    const ravur::DxNumber left = RandomRecord(&rng, i % 2 == 0, wide);
    const ravur::DxNumber right = RandomRecord(&rng, i % 3 == 0, wide);
    EXPECT_TRUE(SameResult(fast, reference, left, right, &overflows)) << "case " << i;
    if (::testing::Test::HasFailure()) break;
  }
  return overflows;
}

TEST(AgainstReference, Add) { CompareOperation(DxAdd, reference::DxAdd, 1); }
TEST(AgainstReference, Subtract) { CompareOperation(DxSubtract, reference::DxSubtract, 2); }
// Up to the room: a carry out of its highest digit makes the sum infinite.
TEST(AgainstReference, AddWide) { EXPECT_GE(CompareOperation(DxAdd, reference::DxAdd, 8, true), 20); }
TEST(AgainstReference, SubtractWide) {
  EXPECT_GE(CompareOperation(DxSubtract, reference::DxSubtract, 9, true), 20);
}
TEST(AgainstReference, Multiply) { CompareOperation(DxMultiply, reference::DxMultiply, 3); }
TEST(AgainstReference, Divide) { CompareOperation(DxDivide, reference::DxDivide, 4); }

// Operands built so that the long division on limbs takes each of its rarely
// taken steps (Knuth's Algorithm D), and the widest operands with the longest
// shifts of the quotient's point, each compared with the plain reference.
TEST(AgainstReference, DivisionCorrections) {
  const std::string widest = std::string(kMaxNumeralDigits, '9') + "." + std::string(kMaxNumeralDigits, '9');
  const std::string tiniest = "." + std::string(kMaxNumeralDigits - 1, '0') + "1";
  const std::string wideInteger = "1" + std::string(kMaxNumeralDigits - 1, '0');
  const std::pair<std::string, std::string> cases[] = {
      // One unit under 999999999 times the divisor: the quotient limb's
      // estimate is one too high after its correction, and the divisor is
      // added back.
      {"999999999000000000000999999998", "1000000000000000000001"},
      {"-6332372000000000006332373", "1000000000000000001"},
      // The estimate comes out at the radix itself and is lowered; its
      // remainder then passes the radix and the correction stops.
      {"1787692999.8212306", "9999999999"},
      // Lowered once by the divisor's second limb, and twice.
      {"6273606006273605", "-1000000001"},
      {"2140960965718078059", "2140960970"},
      // A divisor whose top limb is already at least half the radix.
      {"1212948999999999998787049", "999999999999999999"},
      // The cases above with a two-limb divisor take the short division;
      // scaled by one limb, with a zero limb below each divisor, the same
      // steps of the long division.
      {"1787692999821230600", "9999999999000000000"},
      {"6273606006273605000000000", "-1000000001000000000"},
      {"2140960965718078059000000000", "2140960970000000000"},
      {"1212948999999999998787049000000000", "999999999999999999000000000"},
      // Exact quotients: a zero remainder with only zeros below ends the
      // division early, one with a non-zero limb still to come does not.
      {"864197523086419752308641975230", "123456789012345678901234567890"}, {"1", "2"},
      {"86419752308641975230864197523.0000000001", "12345678901234567890123456789"},
      {"20000000000000000001", "2"}, {"200000000.0000000002", "-.2"},
      {"2469135780", "1234567890"}, {"12345678900000000000000000001", "1234567890"},
      // Divisors whose digits fit one limb fewer once the zeros of their
      // lowest limb are dropped, packed so; and the same a digit longer.
      {"98765432109876543210.123", "12345678901234567890.1234567891234567"},
      {"98765432109876543210.123", "-12345678901234567890.12345678912345678"},
      {"-5", "1234567.00000000001"}, {"-5", "1234567.000000000001"}, {"3", "70000000000000000.01"},
      // The widest operands, and the quotient's point moved furthest each way.
      {widest, widest}, {widest, tiniest}, {tiniest, widest}, {wideInteger, "1"}, {"1", wideInteger},
      {widest, "3"}, {"7", widest},
  };
  for (const auto& [numeralLeft, numeralRight] : cases) {
    ravur::DxNumber left;
    ravur::DxNumber right;
    CharArrToDxNumber(numeralLeft.c_str(), &left);
    CharArrToDxNumber(numeralRight.c_str(), &right);
    EXPECT_TRUE(SameResult(DxDivide, reference::DxDivide, left, right)) << numeralLeft << " / " << numeralRight;
  }
}

TEST(AgainstReference, Compare) {
  std::mt19937 rng(5);
  for (int i = 0; i < kRecords; ++i) {
    const ravur::DxNumber left = RandomRecord(&rng, i % 2 == 0, i % 4 == 0);
    const ravur::DxNumber right = i % 7 == 0 ? left : RandomRecord(&rng, true, i % 4 == 0);
    const reference::DxNumber l = AsReference(left);
    const reference::DxNumber r = AsReference(right);
    ASSERT_EQ(DxCompare(&left, &right), reference::DxCompare(&l, &r)) << "case " << i;
  }
}

// Half the records up to the room and shifts past it either way: digits
// beyond the fraction's room cut, beyond the integer's the record infinite.
TEST(AgainstReference, MoveFloatPoint) {
  std::mt19937 rng(6);
  std::uniform_int_distribution<int32_t> places(-2 * kMaxNumeralDigits, 2 * kMaxNumeralDigits);
  constexpr int32_t kRoom = kIntCapacity + kFracCapacity;
  std::uniform_int_distribution<int32_t> widePlaces(-kRoom - 2, kRoom + 2);
  int overflows = 0;
  for (int i = 0; i < kRecords; ++i) {
    const bool wide = i % 2 == 1;
    ravur::DxNumber got = RandomRecord(&rng, i % 4 < 2, wide);
    const int32_t shift = i % 5 == 0 ? 0 : wide ? widePlaces(rng) : places(rng);
    reference::DxNumber want = AsReference(got);
    MoveFloatPoint(&got, shift);
    reference::MoveFloatPoint(&want, shift);
    ASSERT_TRUE(SameRecord(got, want)) << "case " << i << " by " << shift;
    if (shift != 0 && got.isInfinite) ++overflows;
  }
  EXPECT_GE(overflows, 100);
}

// --- Result's route against the records' ------------------------------------
//
// Result computes on limbs from text to text; the record operations on digit
// arrays. Both must give the same text for every pair of texts.

// A random numeral text of any shape the records are built from above: digit
// counts on limb boundaries, every digit family, signs, bare points, leading
// and trailing zeros.
std::string RandomNumeral(std::mt19937* rng) {
  std::uniform_int_distribution<int32_t> pick(0, 99);
  const ravur::DxNumber record = RandomRecord(rng, pick(*rng) < 50);
  std::string text;
  const int32_t sign = pick(*rng);
  if (sign < 35) text += '-';
  else if (sign < 40) text += '+';
  for (int32_t k = record.intCount - 1; k >= 0; --k) text += static_cast<char>('0' + record.intDigits[k]);
  if (record.fracCount > 0 || pick(*rng) < 10) text += '.';
  for (int32_t k = 0; k < record.fracCount; ++k) text += static_cast<char>('0' + record.fracDigits[k]);
  return text;
}

// Texts at the edges of the grammar: zeros of every shape, bare signs and
// points, the longest numerals and one digit more (refused: zero), and text
// that is no numeral at all (zero).
std::vector<std::string> EdgeNumerals() {
  const std::string nines(kMaxNumeralDigits, '9');
  const std::string zeros(kMaxNumeralDigits, '0');
  return {"0", "-0", "+0", "-", "+", ".", "-.", "+.", "0.", ".0", "-0.000", "000.000", "5.", ".5", "-.5",
          "0.5", "1", "-1", "10", "0.1", "999999999", "1000000000", "-999999999.999999999", ".000000001",
          "1000000000.000000001", nines, "-" + nines, "." + nines, nines + "." + nines, "-" + nines + "." + nines,
          "1" + zeros.substr(1), "." + zeros.substr(1) + "1", zeros, "." + zeros, zeros + "." + zeros,
          "1" + nines, "." + nines + "9", "1.2.3", "--1", "1-", "abc", "1e5", "", " 1"};
}

// The operation named as WriteResult names it.
ravur::Operation Named(const DxOperation operation) {
  if (operation == DxAdd) return ravur::Operation::kAdd;
  if (operation == DxSubtract) return ravur::Operation::kSubtract;
  return operation == DxMultiply ? ravur::Operation::kMultiply : ravur::Operation::kDivide;
}

// A result's text as a record, for the exact arithmetic to judge: any text
// the four operations write on accepted numerals fits the record's room.
ravur::DxNumber RecordOfText(const std::string& text) {
  ravur::DxNumber number;
  InitDxNumberToZero(&number);
  const bool negative = !text.empty() && text[0] == '-';
  const std::string body = text.substr(negative ? 1 : 0);
  number.isNegative = negative;
  if (body == "#INFINITE") {
    number.isInfinite = 1;
    return number;
  }
  const size_t point = std::min(body.find('.'), body.size());
  number.intCount = static_cast<int32_t>(point);
  for (size_t k = 0; k < point; ++k) number.intDigits[k] = static_cast<int8_t>(body[point - 1 - k] - '0');
  for (size_t k = point + 1; k < body.size(); ++k) number.fracDigits[number.fracCount++] = static_cast<int8_t>(body[k] - '0');
  return number;
}

reference::Operation ReferenceOperation(const DxOperation operation) {
  for (const auto named : {reference::Operation::kAdd, reference::Operation::kSubtract, reference::Operation::kMultiply,
                           reference::Operation::kDivide}) {
    if (reference::OperationOf(named) == operation) return named;
  }
  return reference::Operation::kDivide;
}

// Result's text, and WriteResult's on numerals parsed both ways, against the
// record operation's, through DxNumberToCharArr, and against the exact
// arithmetic of the tests' own reference, which shares no code with either.
::testing::AssertionResult SameText(const std::string& left, const std::string& right, DxOperation operation) {
  ravur::DxNumber l;
  ravur::DxNumber r;
  ravur::DxNumber answer;
  CharArrToDxNumber(left.c_str(), &l);
  CharArrToDxNumber(right.c_str(), &r);
  operation(&l, &r, &answer);
  char want[ravur::kLongestText];
  DxNumberToCharArr(want, &answer);
  const std::string got = Result(left.c_str(), right.c_str(), operation);
  // The pair's bytes handed over without their terminators, each judged as
  // CheckNumeral judges it.
  const std::string leftBytes = left + "9";
  const std::string rightBytes = right + "9";
  Numeral leftNumeral;
  Numeral rightNumeral;
  const NumeralStatus leftStatus = ParseNumeral(&leftNumeral, leftBytes.data(), left.size());
  const NumeralStatus rightStatus = ParseNumeral(&rightNumeral, rightBytes.data(), right.size());
  char written[ravur::kResultRoom];
  const size_t length = WriteResult(written, &leftNumeral, &rightNumeral, Named(operation));
  // And found at the front of the bytes where they lie, between digits that
  // the parser reads but must not take, a separator after each: the whole
  // text when it can be a numeral, a shorter front judged by itself
  // otherwise.
  const std::string room(ravur::kFrontRoom, '7');
  const std::string roomyLeft = room + left + " " + room;
  const std::string roomyRight = room + right + " " + room;
  size_t leftFront = 0;
  size_t rightFront = 0;
  const NumeralStatus leftFrontStatus =
      ParseNumeralFront(&leftNumeral, roomyLeft.data() + room.size(), left.size() + 1, &leftFront);
  const NumeralStatus rightFrontStatus =
      ParseNumeralFront(&rightNumeral, roomyRight.data() + room.size(), right.size() + 1, &rightFront);
  const bool wholeFronts = leftFront == left.size() && rightFront == right.size();
  char writtenFront[ravur::kResultRoom] = "";
  if (wholeFronts) WriteResult(writtenFront, &leftNumeral, &rightNumeral, Named(operation));
  const auto judgedFront = [](const std::string& text, const size_t front, const NumeralStatus status) {
    return front <= text.size() && status == CheckNumeral(text.data(), front) &&
           (front == text.size() || CheckNumeral(text.data(), text.size()) == NumeralStatus::kNotANumber);
  };
  const bool judged = leftStatus == CheckNumeral(left.data(), left.size()) &&
                      rightStatus == CheckNumeral(right.data(), right.size()) &&
                      judgedFront(left, leftFront, leftFrontStatus) && judgedFront(right, rightFront, rightFrontStatus);
  const std::string exact = reference::ResultFault(ReferenceOperation(operation), l, r, RecordOfText(got));
  if (got == want && length == got.size() && written == got && (!wholeFronts || writtenFront == got) && judged &&
      exact.empty()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "'" << left << "' '" << right << "': Result " << got << ", WriteResult "
                                       << written << " (" << length << " bytes), front " << writtenFront
                                       << ", records " << want
                                       << (judged ? "" : ", ParseNumeral judged otherwise than CheckNumeral")
                                       << (exact.empty() ? "" : ", exact arithmetic: " + exact);
}

constexpr DxOperation kOperations[] = {DxAdd, DxSubtract, DxMultiply, DxDivide};

TEST(TwoRoutes, ResultMatchesTheRecordsOnRandomNumerals) {
  std::mt19937 rng(8);
  for (int i = 0; i < 4 * kRecords; ++i) {
    const std::string left = RandomNumeral(&rng);
    const std::string right = i % 9 == 0 ? left : RandomNumeral(&rng);
    for (const DxOperation operation : kOperations) ASSERT_TRUE(SameText(left, right, operation)) << "case " << i;
  }
}

TEST(TwoRoutes, ResultMatchesTheRecordsOnEdgeNumerals) {
  std::mt19937 rng(9);
  const std::vector<std::string> edges = EdgeNumerals();
  for (const std::string& left : edges) {
    for (const std::string& right : edges) {
      for (const DxOperation operation : kOperations) EXPECT_TRUE(SameText(left, right, operation));
    }
    const std::string random = RandomNumeral(&rng);
    for (const DxOperation operation : kOperations) {
      EXPECT_TRUE(SameText(left, random, operation));
      EXPECT_TRUE(SameText(random, left, operation));
    }
  }
}

// Limb-boundary families: runs of nines and powers of ten of every length
// around the multiples of the limb size, on either side of the point, over
// each other: where parsing cuts limbs, carries cross them and the
// quotient's cut falls in another limb.
TEST(TwoRoutes, ResultMatchesTheRecordsAroundLimbBoundaries) {
  std::vector<std::string> family;
  for (int32_t count = 1; count <= kMaxNumeralDigits; count += count % kLimbDigits == 1 ? kLimbDigits - 2 : 1) {
    family.push_back(std::string(static_cast<size_t>(count), '9'));
    family.push_back("1" + std::string(static_cast<size_t>(count - 1), '0'));
    family.push_back("." + std::string(static_cast<size_t>(count), '9'));
    family.push_back("-." + std::string(static_cast<size_t>(count - 1), '0') + "1");
  }
  for (size_t i = 0; i < family.size(); ++i) {
    for (size_t j = i % 3; j < family.size(); j += 3) {
      for (const DxOperation operation : kOperations) ASSERT_TRUE(SameText(family[i], family[j], operation));
    }
  }
}

// Quotients by divisors long enough that their top limbs alone are tried
// first: exact multiples of the divisor and the multiples a unit of the last
// place above and below them, whose quotients sit just at, above and below a
// whole number, where the top limbs cannot decide and all of the divisor must.
TEST(TwoRoutes, ResultMatchesTheRecordsOnQuotientsByLongDivisors) {
  std::mt19937 rng(10);
  std::uniform_int_distribution<int32_t> digit(0, 9);
  const std::string unit = "." + std::string(kMaxNumeralDigits - 1, '0') + "1";
  const char* const factors[] = {"1", "2", "3", "7", "9", "10", "999999999", "1000000001", "0.5", "123456789.987654321"};
  for (int i = 0; i < 40; ++i) {
    // 160 to 200 digits on either side of the point: 18 to 23 limbs each.
    const int32_t intDigits = std::uniform_int_distribution<int32_t>(160, 200)(rng);
    const int32_t fracDigits = std::uniform_int_distribution<int32_t>(160, 200)(rng);
    std::string divisor = i % 2 == 0 ? "-" : "";
    divisor += static_cast<char>('1' + digit(rng) % 9);
    for (int32_t k = 1; k < intDigits; ++k) divisor += static_cast<char>(i % 5 == 0 ? '9' : '0' + digit(rng));
    divisor += '.';
    for (int32_t k = 0; k < fracDigits; ++k) divisor += static_cast<char>(i % 5 == 0 ? '9' : '0' + digit(rng));
    for (const char* factor : factors) {
      const std::string multiple = Result(divisor.c_str(), factor, DxMultiply);
      const std::string above = Result(multiple.c_str(), unit.c_str(), DxAdd);
      const std::string below = Result(multiple.c_str(), unit.c_str(), DxSubtract);
      for (const std::string& dividend : {multiple, above, below}) {
        ASSERT_TRUE(SameText(dividend, divisor, DxDivide)) << "case " << i << " factor " << factor;
      }
    }
  }
}

// The word operations the build uses (compiler builtins and 128-bit integers
// where there are) against their portable twins and against values worked out
// here, so that in the portable build too they check the forms the library
// uses: loads, stores and bit counts on every single set bit and on random
// words, most of whose bytes are zero.
TEST(WordTwins, BytesOfWords) {
  using namespace ravur::detail;
  std::mt19937_64 rng(7);
  for (int i = 0; i < kRecords + 64; ++i) {
    Word word = Word{1} << (i % 64);
    if (i >= 64) {
      for (int b = 0; b < kWordBytes; ++b) word |= rng() % 4 == 0 ? Word{rng() & 0xFF} << (8 * b) : 0;
    }
    unsigned char bytes[kWordBytes];
    StoreLittlePortable(bytes, word);
    int lowest = 0;
    while (bytes[lowest] == 0) ++lowest;
    int highest = kWordBytes - 1;
    while (bytes[highest] == 0) --highest;
    ASSERT_EQ(LowestSetByte(word), lowest) << i;
    ASSERT_EQ(HighestSetByte(word), highest) << i;
    ASSERT_EQ(LoadLittle(bytes), word) << i;
    ASSERT_EQ(LoadBig(bytes), ReverseBytesPortable(word)) << i;
    ASSERT_EQ(ReverseBytes(word), ReverseBytesPortable(word)) << i;
    ASSERT_EQ(LowestSetByte(word), LowestSetBytePortable(word)) << i;
    ASSERT_EQ(HighestSetByte(word), HighestSetBytePortable(word)) << i;
    ASSERT_EQ(LeadingZeroBits(word), LeadingZeroBitsPortable(word)) << i;
    unsigned char stored[kWordBytes];
    StoreLittle(stored, word);
    ASSERT_EQ(std::memcmp(stored, bytes, kWordBytes), 0) << i;
  }
  const unsigned char counting[kWordBytes] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(LoadLittlePortable(counting), Word{0x0807060504030201u});
  EXPECT_EQ(HighestSetBytePortable(Word{0x0000010000000000u}), 5);
  EXPECT_EQ(LowestSetBytePortable(Word{0x0000010000000100u}), 1);
}

// The value of eight digits, of sixteen digit characters, and of each count
// of their last ones, by both routes: on every digit in every place and on
// random values.
TEST(WordTwins, DigitCharsValues) {
  using namespace ravur::detail;
  std::mt19937_64 rng(8);
  std::uniform_int_distribution<uint32_t> eightDigits(0, 99999999);
  for (int i = 0; i < kRecords + 160; ++i) {
    Word place = 1;
    for (int k = 0; k < i / 10 && i < 160; ++k) place *= 10;
    const Word sixteen = i < 160 ? (i % 10) * place : Word{eightDigits(rng)} * kEightBase + eightDigits(rng);
    const auto value = static_cast<uint32_t>(sixteen % kEightBase);
    Word split = 0;  // the digits a byte each, most significant lowest
    for (uint32_t rest = value, shift = 56; rest != 0; rest /= 10, shift -= 8) split |= Word{rest % 10} << shift;
    ASSERT_EQ(EightDigitsValue(split), value) << value;
    char chars[17];
    std::snprintf(chars, sizeof chars, "%016llu", static_cast<unsigned long long>(sixteen));
    ASSERT_EQ(SixteenCharsValue(chars), sixteen) << chars;
    ASSERT_EQ(SixteenCharsValuePortable(chars), sixteen) << chars;
    // The last count of them, the digits before them read and not taken.
    Word below = 10;
    for (int32_t count = 1; count <= 16; ++count, below *= 10) {
      ASSERT_EQ(TrailingCharsValue(chars + 16, count), sixteen % below) << chars << " " << count;
      ASSERT_EQ(TrailingCharsValuePortable(chars + 16, count), sixteen % below) << chars << " " << count;
    }
  }
}

// The scan for digits with room after the text, by both routes and a byte at
// a time: runs of every length 0 to 40 at every place in a 16-byte block,
// followed by every byte, the text ending up to a word before that byte, or
// well after it, with digits in the room after it (which are not taken).
TEST(WordTwins, DigitRuns) {
  using namespace ravur::detail;
  constexpr int32_t kLongest = 40;
  alignas(16) char buffer[kWordBytes + 16 + kLongest + 1 + kWordBytes + kWordBytes];
  for (int32_t place = 0; place < 16; ++place) {
    for (int32_t length = 0; length <= kLongest; ++length) {
      for (int32_t stop = 0; stop < 256; ++stop) {
        std::memset(buffer, '5', sizeof buffer);
        char* const text = buffer + kWordBytes + place;
        text[length] = static_cast<char>(stop);
        for (int32_t back = -1; back <= std::min(length, kWordBytes); ++back) {
          const char* const end = back < 0 ? text + kLongest + 1 : text + length - back;
          const char* want = text;
          while (want < end && *want >= '0' && *want <= '9') ++want;
          ASSERT_EQ(SkipDigitsInRoom(text, end), want) << place << " " << length << " " << stop;
          ASSERT_EQ(SkipDigitsInRoomPortable(text, end), want) << place << " " << length << " " << stop;
          ASSERT_EQ(SkipDigits(text, end), want) << place << " " << length << " " << stop;
        }
      }
    }
  }
}

// A limb's groups of three digits by both routes, on every digit in every
// place, every group's edges and random limbs.
TEST(WordTwins, DigitGroups) {
  using namespace ravur::detail;
  std::mt19937_64 rng(9);
  std::uniform_int_distribution<uint32_t> eightDigits(0, 99999999);
  for (int i = 0; i < kRecords + 160; ++i) {
    const auto limb = static_cast<uint32_t>(
        i < 90    ? (i % 10) * kPowersOfTen[i / 10]
        : i < 160 ? std::min<Word>(Word{kPowersOfTen[(i - 90) / 7]} * (i % 7 < 3 ? 1 : 999) - i % 2, kNineBase - 1)
                  : eightDigits(rng) * 10 + static_cast<uint32_t>(i % 10));
    Word rest = 0;
    Word portableRest = 0;
    const Word groups[] = {TopGroup(limb, &rest), NextGroup(&rest), NextGroup(&rest)};
    const Word portable[] = {TopGroupPortable(limb, &portableRest), NextGroupPortable(&portableRest),
                             NextGroupPortable(&portableRest)};
    ASSERT_EQ(groups[0], limb / 1000000) << limb;
    ASSERT_EQ(groups[1], limb / 1000 % 1000) << limb;
    ASSERT_EQ(groups[2], limb % 1000) << limb;
    ASSERT_EQ(portable[0], groups[0]) << limb;
    ASSERT_EQ(portable[1], groups[1]) << limb;
    ASSERT_EQ(portable[2], groups[2]) << limb;
  }
}

// a x b with a carry at every step: the plain schoolbook the library's
// deferred carries must agree with.
std::vector<ravur::detail::Limb> PlainProduct(const std::vector<ravur::detail::Limb>& a,
                                              const std::vector<ravur::detail::Limb>& b) {
  using namespace ravur::detail;
  std::vector<Limb> product(a.size() + b.size(), 0);
  for (size_t i = 0; i < a.size(); ++i) {
    LimbSum carry = 0;
    for (size_t k = 0; k < b.size(); ++k) {
      carry = SplitLimbSum(LimbSum{a[i]} * b[k] + product[i + k] + carry, &product[i + k]);
    }
    product[i + b.size()] = static_cast<Limb>(carry);
  }
  return product;
}

// -1, 0 or 1 as the number x is below, equal to or above y.
int CompareLimbs(std::vector<ravur::detail::Limb> x, std::vector<ravur::detail::Limb> y) {
  x.resize(std::max(x.size(), y.size()), 0);
  y.resize(x.size(), 0);
  return std::lexicographical_compare(x.rbegin(), x.rend(), y.rbegin(), y.rend()) ? -1 : x == y ? 0 : 1;
}

// Products of limbs against the plain schoolbook, on operands of every pair
// of lengths up to a record's, of random limbs and of limbs all kLimbBase - 1
// (the largest columns and carries); and the products divided back, exactly
// and not, and with low limbs made 0 and said to be, each quotient q checked
// by q x b <= u < (q + 1) x b. A divisor's top limb is also made 1, 2, or
// just below or at half the radix: scaled the most, or not at all.
TEST(LimbRoutes, ProductsAndQuotientsAgree) {
  using namespace ravur::detail;
  std::mt19937_64 rng(10);
  std::uniform_int_distribution<Limb> anyLimb(0, kLimbBase - 1);
  const Limb tops[] = {1, 2, kLimbBase / 2 - 1, kLimbBase / 2, kLimbBase - 1};
  for (int i = 0; i < kRecords; ++i) {
    const auto aCount = 1 + static_cast<size_t>(rng() % kFormLimbs);
    const auto bCount = 1 + static_cast<size_t>(i % 4 == 2 ? rng() % 3 : rng() % kFormLimbs);
    const bool largest = i % 8 == 0;
    std::vector<Limb> a(aCount);
    std::vector<Limb> b(bCount);
    for (Limb& limb : a) limb = largest ? kLimbBase - 1 : anyLimb(rng);
    for (Limb& limb : b) limb = largest ? kLimbBase - 1 : anyLimb(rng);
    if (i % 4 == 1) b.back() = tops[static_cast<size_t>(i / 4) % std::size(tops)];
    if (a.back() == 0) a.back() = 1;
    if (b.back() == 0) b.back() = 1;
    std::vector<Limb> product(aCount + bCount);
    MultiplyLimbs(a.data(), static_cast<int32_t>(aCount), b.data(), static_cast<int32_t>(bCount), product.data());
    ASSERT_EQ(product, PlainProduct(a, b)) << aCount << " x " << bCount;
    const auto uCount = static_cast<int32_t>(aCount + bCount);
    if (uCount > kDividendLimbs) continue;
    for (const int32_t shape : {0, 1, 2}) {
      std::vector<Limb> u = product;
      if (shape == 1) u[0] = anyLimb(rng);
      const int32_t zeroLimbs = shape == 2 ? std::min(1 + i % 7, uCount - 1) : 0;
      std::fill_n(u.begin(), zeroLimbs, 0);
      std::vector<Limb> work = u;
      work.push_back(rng());  // the limb the division may use
      std::vector<Limb> quotient(aCount + 1, rng());
      DivideMovedLimbs(work.data(), uCount, zeroLimbs, b.data(), static_cast<int32_t>(bCount), quotient.data());
      if (shape == 0) {
        ASSERT_EQ(std::vector<Limb>(quotient.begin(), quotient.end() - 1), a) << uCount << " / " << bCount;
        ASSERT_EQ(quotient.back(), 0) << uCount << " / " << bCount;
      }
      std::vector<Limb> below = PlainProduct(quotient, b);
      ASSERT_LE(CompareLimbs(below, u), 0) << uCount << " / " << bCount;
      if (quotient[0] < kLimbBase - 1) {
        quotient[0] += 1;
        ASSERT_GT(CompareLimbs(PlainProduct(quotient, b), u), 0) << uCount << " / " << bCount;
      }
    }
  }
  // Dividends that take an estimate one too large: u = ((q + 1) x v - e) x
  // kLimbBase + 7 (q + 1 = kLimbBase - 1, e at most (q + 1) x v[0]), whose
  // top limbs look like (q + 1) x v's, so the second estimate is q + 1 and
  // the subtraction goes below zero and is added back, the remainder v - e
  // heading the last window: e = 1 with v's low limbs kLimbBase - 1 and 0
  // (a borrow at every limb of the adding back), or e = 6 x kLimbBase with
  // them kLimbBase / 2 and 5 (limbs equal to v's, no borrow). v's top limb
  // at half the radix and above, not scaled, and 1, scaled the most. And a
  // window whose top limb equals v's.
  for (const Limb top : {kLimbBase / 2, kLimbBase - 1, Limb{1}}) {
    for (const bool equal : {false, true}) {
      const std::vector<Limb> v = {equal ? kLimbBase / 2 : kLimbBase - 1, equal ? Limb{5} : Limb{0}, top};
      std::vector<Limb> u = PlainProduct({kLimbBase - 1}, v);
      u[equal ? 1 : 0] -= equal ? 6 : 1;  // no borrow: the limb is at least kLimbBase / 2 - 6 or 1
      u.insert(u.begin(), 7);
      std::vector<Limb> work = u;
      work.push_back(0);
      std::vector<Limb> quotient(3, 0);
      DivideLimbs(work.data(), 5, v.data(), 3, quotient.data());
      EXPECT_LE(CompareLimbs(PlainProduct(quotient, v), u), 0) << top << " " << equal;
      EXPECT_EQ(quotient[1], kLimbBase - 2) << top << " " << equal;
      quotient[0] += 1;
      EXPECT_GT(CompareLimbs(PlainProduct(quotient, v), u), 0) << top << " " << equal;
    }
  }
  // A remainder whose top limb equals v's after the first step, for two and
  // three limbs: the next estimate is kLimbBase - 1 without a division.
  for (const size_t n : {2, 3}) {
    std::vector<Limb> v(n, 0);
    v[0] = 5;
    v[n - 1] = kLimbBase / 2 + 1;
    std::vector<Limb> u = v;
    u.insert(u.begin(), 7);
    u[1] = 3;
    std::vector<Limb> work = u;
    work.push_back(0);
    std::vector<Limb> q(2, 0);
    DivideLimbs(work.data(), static_cast<int32_t>(n + 1), v.data(), static_cast<int32_t>(n), q.data());
    EXPECT_LE(CompareLimbs(PlainProduct(q, v), u), 0) << n;
    q[0] += 1;
    EXPECT_GT(CompareLimbs(PlainProduct(q, v), u), 0) << n;
  }
}

// The limb primitives against their portable twins and against the inverse,
// on random operands of every bit length (a divisor of every top bit, a value
// just below divisor x 2^kLimbBits): quotient x divisor + remainder gives the
// value, for a value given whole, as a product plus a carry split by the
// radix, and up to the largest split; and the digit count of a limb at and
// around every power of ten.
TEST(WordTwins, LimbArithmetic) {
  using namespace ravur::detail;
  std::mt19937_64 rng(11);
  for (int i = 0; i < kRecords + 4096; ++i) {
    const auto divisor = std::max<Limb>(static_cast<Limb>((rng() | Word{1} << 63) >> (64 - kLimbBits + i % kLimbBits)), 1);
    const auto high = static_cast<Limb>(i % 2 == 0 ? static_cast<Limb>(rng()) % divisor : divisor - 1);
    const auto low = static_cast<Limb>(i % 2 == 0 ? rng() : ~Limb{0} - static_cast<Limb>(i % 3));
    const LimbSum value = (LimbSum{high} << kLimbBits) | low;
    Limb remainder = 0;
    Limb remainderPortable = 0;
    const Limb quotient = DivideLimbSum(value, divisor, &remainder);
    ASSERT_EQ(quotient, DivideLimbSumPortable(value, divisor, &remainderPortable)) << i;
    ASSERT_EQ(remainder, remainderPortable) << i;
    ASSERT_LT(remainder, divisor) << i;
    ASSERT_TRUE(LimbSum{quotient} * divisor + remainder == value) << i;
    // A product of two limbs plus less than two split by the radix, each
    // operand at times its largest.
    const Limb pa = i % 3 == 0 ? kLimbBase - 1 : static_cast<Limb>(rng() % kLimbBase);
    const Limb pb = i % 5 == 0 ? kLimbBase - 1 : static_cast<Limb>(rng() % kLimbBase);
    const Limb pc = i % 7 == 0 ? 2 * kLimbBase - 1 : static_cast<Limb>(rng() % (2 * kLimbBase));
    Limb productLow = 0;
    const Limb productHigh = MultiplyAddSplit(pa, pb, LimbFraction(pb), pc, &productLow);
    ASSERT_LT(productLow, kLimbBase) << i;
    ASSERT_TRUE(LimbSum{productHigh} * kLimbBase + productLow == LimbSum{pa} * pb + pc) << i;
    // The split by the radix, of values up to the largest it takes.
    const LimbSum splitValue = i % 3 == 0 ? kLargestSplit - static_cast<Limb>(i) : value % kLargestSplit;
    Limb splitLow = 0;
    const LimbSum splitHigh = SplitLimbSum(splitValue, &splitLow);
    ASSERT_LT(splitLow, kLimbBase) << i;
    ASSERT_TRUE(splitHigh * kLimbBase + splitLow == splitValue) << i;
  }
  for (int32_t k = 1; k <= kLimbDigits; ++k) {
    ASSERT_EQ(DigitCount(kPowersOfTen[k] - 1), k) << k;
    if (k < kLimbDigits) {
      ASSERT_EQ(DigitCount(kPowersOfTen[k]), k + 1) << k;
    }
    ASSERT_EQ(DigitCount(kPowersOfTen[k - 1]), k) << k;
  }
}

}  // namespace
