// The optimised arithmetic against the straightforward reference steps, record
// by record (counts, flags and every digit position, zeros beyond the counts
// included), on random records of every shape: normalised or not, with or
// without integer digits, both signs, infinite or not, up to the room of an
// accepted numeral, and for the sum, difference, comparison and point shift
// up to the record's whole room.
#include <gtest/gtest.h>

#include <algorithm>
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
// uses: loads, stores and bit counts on random words and on every single set
// bit.
TEST(WordTwins, BytesOfWords) {
  using namespace ravur::detail;
  std::mt19937_64 rng(7);
  for (int i = 0; i < kRecords + 64; ++i) {
    const Word word = i < 64 ? Word{1} << i : rng();
    unsigned char bytes[kWordBytes];
    StoreLittlePortable(bytes, word);
    ASSERT_EQ(LoadLittle(bytes), word) << i;
    ASSERT_EQ(LoadBig(bytes), ReverseBytesPortable(word)) << i;
    ASSERT_EQ(ReverseBytes(word), ReverseBytesPortable(word)) << i;
    ASSERT_EQ(LowestSetByte(word), LowestSetBytePortable(word)) << i;
    ASSERT_EQ(HighestSetByte(word), HighestSetBytePortable(word)) << i;
    ASSERT_EQ(LeadingZeroBits(word), LeadingZeroBitsPortable(word)) << i;
    unsigned char stored[kWordBytes];
    StoreLittle(stored, word);
    ASSERT_EQ(std::memcmp(stored, bytes, kWordBytes), 0) << i;
    StoreBig(stored, word);
    ASSERT_EQ(LoadLittlePortable(stored), ReverseBytesPortable(word)) << i;
  }
  const unsigned char counting[kWordBytes] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(LoadLittlePortable(counting), Word{0x0807060504030201u});
  EXPECT_EQ(HighestSetBytePortable(Word{0x0000010000000000u}), 5);
  EXPECT_EQ(LowestSetBytePortable(Word{0x0000010000000100u}), 1);
}

// The eight digits split into bytes, least significant lowest, on every
// digit in every place and on random values.
TEST(WordTwins, EightDigitBytes) {
  using namespace ravur::detail;
  std::mt19937_64 rng(8);
  std::uniform_int_distribution<uint32_t> eightDigits(0, 99999999);
  for (int i = 0; i < kRecords + 80; ++i) {
    const uint32_t value = i < 80 ? (i % 10) * kPowersOfTen[i / 10] : eightDigits(rng);
    Word split = 0;
    for (uint32_t rest = value, shift = 0; shift < 64; rest /= 10, shift += 8) split |= Word{rest % 10} << shift;
    ASSERT_EQ(EightDigitBytes(value), split) << value;
  }
  EXPECT_EQ(EightDigitBytes(12345678), Word{0x0102030405060708u});
}

// A limb's groups of three digits by both routes, on every digit in every
// place, every group's edges and random limbs.
TEST(WordTwins, DigitGroups) {
  using namespace ravur::detail;
  std::mt19937_64 rng(9);
  std::uniform_int_distribution<uint32_t> eightDigits(0, 99999999);
  for (int i = 0; i < kRecords + 160; ++i) {
    const Limb limb = i < 90    ? (i % 10) * kPowersOfTen[i / 10]
                      : i < 160 ? static_cast<Limb>(std::min<Wide>(
                                      Wide{kPowersOfTen[(i - 90) / 7]} * (i % 7 < 3 ? 1 : 999) - i % 2, kLimbBase - 1))
                                : eightDigits(rng) * 10 + static_cast<Limb>(i % 10);
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

// Products of limbs by the build's route and in the limb radix, on operands
// of every pair of lengths up to a record's, of random limbs and of limbs all
// kLimbBase - 1 (the largest columns and carries); and the products divided
// back by both routes.
TEST(LimbRoutes, ProductsAndQuotientsAgree) {
  using namespace ravur::detail;
  std::mt19937_64 rng(10);
  std::uniform_int_distribution<Limb> anyLimb(0, kLimbBase - 1);
  // A quarter of the divisors have three or four limbs (two binary words),
  // of every bit length, some of them next to a power of two.
  const std::vector<std::vector<Limb>> wordEdges = {{709551615, 446744073, 18},
                                                    {709551616, 446744073, 18},
                                                    {709551617, 446744073, 18},
                                                    {0, 0, 1},
                                                    {543950336, 264337593, 228162514, 79},
                                                    {140172288, 451903530, 892457936, 664613997},
                                                    {899124221, 285380274, 237940039, 1}};  // 2^90 - 3
  Limb a[kFormLimbs];
  Limb b[kFormLimbs];
  for (int i = 0; i < kRecords; ++i) {
    const bool twoWords = i % 4 == 2;
    const int32_t aCount = 1 + static_cast<int32_t>(rng() % kFormLimbs);
    int32_t bCount = twoWords ? 3 + i / 4 % 2 : 1 + static_cast<int32_t>(rng() % kFormLimbs);
    const bool largest = i % 8 == 0;
    for (Limb& limb : a) limb = largest ? kLimbBase - 1 : anyLimb(rng);
    for (Limb& limb : b) limb = largest ? kLimbBase - 1 : anyLimb(rng);
    if (twoWords) b[bCount - 1] >>= i / 8 % 30;
    if (twoWords && i % 32 == 10) {
      const std::vector<Limb>& edge = wordEdges[static_cast<size_t>(i / 32) % wordEdges.size()];
      std::copy(edge.begin(), edge.end(), b);
      bCount = static_cast<int32_t>(edge.size());
    }
    Limb product[kProductLimbs];
    Limb portable[kProductLimbs];
    MultiplyLimbs(a, aCount, b, bCount, product);
    MultiplyInLimbRadix(a, aCount, b, bCount, portable);
    ASSERT_TRUE(std::equal(product, product + aCount + bCount, portable)) << aCount << " x " << bCount;
    // The product divided by b (exact, so a long division stops early), and
    // so with its lowest limb replaced, and with its low limbs made 0 and
    // said to be, by both routes; b's top limb is also made 1, the divisor
    // scaled the most.
    const int32_t uCount = aCount + bCount;
    if (uCount > kDividendLimbs) continue;
    if (i % 8 == 1) b[bCount - 1] = 1;
    if (b[bCount - 1] == 0) continue;
    for (const int32_t shape : {0, 1, 2}) {
      const bool exact = shape == 0;
      Limb u[kDividendLimbs + 1];
      Limb uPortable[kDividendLimbs + 1];
      MultiplyInLimbRadix(a, aCount, b, bCount, u);
      if (shape == 1) u[0] = anyLimb(rng);
      const int32_t zeroLimbs = shape == 2 ? std::min(1 + i % 7, uCount - 1) : 0;
      std::fill_n(u, zeroLimbs, 0);
      std::copy_n(u, uCount, uPortable);
      Limb quotient[kDividendLimbs];
      Limb quotientPortable[kDividendLimbs];
      DivideMovedLimbs(u, uCount, zeroLimbs, b, bCount, quotient);
      DivideInLimbRadix(uPortable, uCount, b, bCount, quotientPortable);
      ASSERT_TRUE(std::equal(quotient, quotient + aCount + 1, quotientPortable)) << uCount << " / " << bCount;
      if (exact) {
        ASSERT_TRUE(std::equal(a, a + aCount, quotient)) << uCount << " / " << bCount;
      }
    }
  }
  // Each of those divisors dividing its own multiple by kLimbBase^4, plus 1:
  // the remainder is zero two limbs from the end, with a limb below that is
  // not, so a step divides zero. Shifted, 2^90 - 3 has a top word of all ones,
  // which puts that step's remainder test at its boundary.
  for (const std::vector<Limb>& edge : wordEdges) {
    const auto vCount = static_cast<int32_t>(edge.size());
    const int32_t uCount = 4 + vCount;
    const Limb power[] = {0, 0, 0, 0, 1};  // the quotient, kLimbBase^4
    for (const bool portable : {false, true}) {
      Limb u[kDividendLimbs + 1] = {1, 0, 0, 0};
      std::copy(edge.begin(), edge.end(), u + 4);
      Limb quotient[kDividendLimbs];
      (portable ? DivideInLimbRadix : DivideLimbs)(u, uCount, edge.data(), vCount, quotient);
      EXPECT_TRUE(std::equal(power, power + 5, quotient)) << edge.back() << (portable ? " portable" : "");
    }
  }
  // An exact quotient whose last pair the two-word division first estimates
  // one too small, the remainder then equal to the divisor: its second
  // correction at its boundary.
  for (const bool portable : {false, true}) {
    Limb u[kDividendLimbs + 1] = {817034720, 592637850, 311125065, 40639884, 117051160, 270193291};
    const Limb v[] = {809635752, 85165610, 267166580, 665676979};
    const Limb want[] = {709894860, 405892496, 0};
    Limb quotient[kDividendLimbs];
    (portable ? DivideInLimbRadix : DivideLimbs)(u, 6, v, 4, quotient);
    EXPECT_TRUE(std::equal(want, want + 3, quotient)) << (portable ? "portable" : "");
  }
}

// Two-word products and divisions, on random operands of every bit length
// (a divisor of every top bit, a numerator just below divisor x 2^64) and
// checked by the inverse: quotient x divisor + remainder gives the numerator.
TEST(WordTwins, TwoWordArithmetic) {
  using namespace ravur::detail;
  std::mt19937_64 rng(11);
  for (int i = 0; i < kRecords + 4096; ++i) {
    const Word divisor = std::max<Word>((rng() | Word{1} << 63) >> (i % 64), 1);
    const Word a = rng() >> (i / 64 % 64);
    const auto b = static_cast<Word>(rng() & kHalfMask);
    const TwoWords product = MultiplyWords(a, b);
    const TwoWords portable = MultiplyAddPortable(a, b, 0);
    ASSERT_EQ(product.high, portable.high) << i;
    ASSERT_EQ(product.low, portable.low) << i;
    // Sums and differences of two words, the low words carrying or
    // borrowing about half the time and the high ones wrapping.
    const TwoWords x{rng(), rng()};
    const TwoWords y{rng() >> (i % 64), i % 7 == 0 ? 0 : i % 5 == 0 ? x.low : ~Word{0} - x.low + (i % 3)};
    const TwoWords sum = AddTwoWords(x, y);
    const TwoWords sumPortable = AddTwoWordsPortable(x, y);
    const TwoWords difference = SubtractTwoWords(x, y);
    const TwoWords differencePortable = SubtractTwoWordsPortable(x, y);
    ASSERT_EQ(sum.high, sumPortable.high) << i;
    ASSERT_EQ(sum.low, sumPortable.low) << i;
    ASSERT_EQ(difference.high, differencePortable.high) << i;
    ASSERT_EQ(difference.low, differencePortable.low) << i;
    const TwoWords n = i % 2 == 0 ? TwoWords{rng() % divisor, rng()} : TwoWords{divisor - 1, ~Word{0} - (i % 3)};
    Word remainder = 0;
    Word remainderPortable = 0;
    const Word quotient = DivideTwoWords(n, divisor, &remainder);
    ASSERT_EQ(quotient, DivideTwoWordsPortable(n, divisor, &remainderPortable)) << i;
    ASSERT_EQ(remainder, remainderPortable) << i;
    ASSERT_LT(remainder, divisor) << i;
    // quotient x divisor as quotient x (divisor's upper half) x 2^32 plus
    // quotient x (its lower half), then the remainder, carries added.
    const TwoWords upper = MultiplyAddPortable(quotient, divisor >> kHalfBits, 0);
    const TwoWords lower = MultiplyAddPortable(quotient, divisor & kHalfMask, 0);
    Word low = lower.low + (upper.low << kHalfBits);
    Word high = lower.high + (upper.high << kHalfBits) + (upper.low >> kHalfBits) + (low < lower.low ? 1 : 0);
    low += remainder;
    high += low < remainder ? 1 : 0;
    ASSERT_EQ(high, n.high) << i;
    ASSERT_EQ(low, n.low) << i;
  }
}

}  // namespace
