// Table-driven tests of the decimal library. Each arithmetic table is also
// replayed with operands swapped or as the inverse operation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ravur.h"

namespace {

using ravur::kMaxNumeralDigits, ravur::kMaxNumeralLength, ravur::kQuotientDigits, ravur::DxNumber,
      ravur::DxOperation, ravur::InitDxNumberToZero, ravur::AdjustBits, ravur::IsZero, ravur::MakeInfinite,
      ravur::NumeralStatus, ravur::CheckNumeral, ravur::NumeralScan, ravur::StartNumeralScan,
      ravur::ScanNumeralPrefix, ravur::CharArrToDxNumber, ravur::CharArrLenByDxNumber,
      ravur::DxNumberToCharArr, ravur::Result, ravur::Numeral, ravur::DxCompare, ravur::DxAdd, ravur::DxSubtract,
      ravur::MoveFloatPoint, ravur::DxMultiply, ravur::DxDivide;

DxNumber Parse(const std::string& text) {
  DxNumber number;
  CharArrToDxNumber(text.c_str(), &number);
  return number;
}

std::string Text(const DxNumber& number) {
  std::vector<char> buffer(static_cast<size_t>(CharArrLenByDxNumber(&number)), 'x');
  DxNumberToCharArr(buffer.data(), &number);
  if (!number.isInfinite) {
    EXPECT_EQ(std::strlen(buffer.data()) + 1, buffer.size()) << "size must be exact";
  }
  return buffer.data();
}

std::string Apply(const DxOperation operation, const std::string& left, const std::string& right) {
  const DxNumber l = Parse(left);
  const DxNumber r = Parse(right);
  DxNumber result;
  std::memset(&result, 0x5A, sizeof result);  // garbage: the operation must clear it
  operation(&l, &r, &result);
  return Text(result);
}

DxNumber Digits(const std::vector<int8_t>& intDigits, const std::vector<int8_t>& fracDigits) {
  DxNumber number;
  InitDxNumberToZero(&number);
  number.intCount = static_cast<int32_t>(intDigits.size());
  number.fracCount = static_cast<int32_t>(fracDigits.size());
  std::copy(intDigits.begin(), intDigits.end(), number.intDigits);
  std::copy(fracDigits.begin(), fracDigits.end(), number.fracDigits);
  return number;
}

struct Row {
  std::string left;
  std::string right;
  std::string want;
};

TEST(Record, AdjustBitsTrimsOnlyZerosBeyondTheValue) {
  struct Case {
    std::vector<int8_t> intDigits, fracDigits;
    int32_t intCount, fracCount;
  };
  const Case cases[] = {
      {{7, 0, 0}, {}, 1, 0}, {{0, 0, 7}, {}, 3, 0}, {{0}, {}, 1, 0}, {{}, {}, 0, 0},
      {{}, {5, 0, 0}, 0, 1}, {{0, 0}, {0, 0}, 1, 0}, {{1}, {0, 5}, 1, 2},
  };
  for (const Case& c : cases) {
    DxNumber number = Digits(c.intDigits, c.fracDigits);
    number.isNegative = 1;
    AdjustBits(&number);
    EXPECT_EQ(number.intCount, c.intCount);
    EXPECT_EQ(number.fracCount, c.fracCount);
    EXPECT_EQ(number.isNegative, 1);
  }
}

TEST(Record, IsZeroReadsOnlyTheShapeOfZero) {
  DxNumber number = Digits({}, {});
  EXPECT_EQ(IsZero(&number), 1);
  number.isNegative = 1;
  EXPECT_EQ(IsZero(&number), 1);
  number = Digits({0}, {});
  EXPECT_EQ(IsZero(&number), 1);
  number = Digits({}, {5});
  EXPECT_EQ(IsZero(&number), 0);
  number = Digits({0, 0}, {});  // not normalised: not zero
  EXPECT_EQ(IsZero(&number), 0);
  number = Parse("-7");
  MakeInfinite(&number);
  EXPECT_EQ(Text(number), "-#INFINITE");
  EXPECT_EQ(CharArrLenByDxNumber(&number), 11);
  number.isNegative = 0;
  EXPECT_EQ(Text(number), "#INFINITE");
  EXPECT_EQ(CharArrLenByDxNumber(&number), 11);
}

TEST(TextForm, ParsedNumeralsPrintNormalised) {
  const std::pair<const char*, const char*> cases[] = {
      {"007", "7"},    {"00.500", "0.5"}, {"5.", "5"},     {".5", "0.5"},      {"-.5", "-0.5"},
      {"-12.3400", "-12.34"}, {"-0", "0"}, {"-0.0", "0"},  {"0.000", "0"},     {"-", "0"},
      {".", "0"},      {"-.", "0"},       {"+", "0"},      {"+5.25", "5.25"},  {"-.05", "-0.05"},
  };
  for (const auto& [numeral, want] : cases) {
    const DxNumber number = Parse(numeral);
    EXPECT_EQ(Text(number), want) << numeral;
    EXPECT_EQ(Text(Parse(want)), want) << "round trip of " << want;
  }
  // The shape without integer digits sizes like the one with a 0.
  const DxNumber bare = Parse("-.05");
  const DxNumber withZero = Parse("-0.05");
  EXPECT_EQ(bare.intCount, 0);
  EXPECT_EQ(withZero.intCount, 1);
  EXPECT_EQ(CharArrLenByDxNumber(&bare), CharArrLenByDxNumber(&withZero));
  DxNumber zero = Digits({}, {});
  EXPECT_EQ(CharArrLenByDxNumber(&zero), 2);
  zero.isNegative = 1;
  EXPECT_EQ(Text(zero), "-0");
}

// Each form's class, and where the scan that stops at the first refusing
// byte stops (kWhole: it takes the whole text).
TEST(TextForm, CheckNumeralClassifiesEveryForm) {
  const std::string side(kMaxNumeralDigits, '9');
  const std::string over(kMaxNumeralDigits + 1, '1');
  constexpr size_t kWhole = SIZE_MAX;
  const std::tuple<std::string, NumeralStatus, size_t> cases[] = {
      {"0", NumeralStatus::kAccepted, kWhole},          {"-.", NumeralStatus::kAccepted, kWhole},
      {"", NumeralStatus::kAccepted, kWhole},           {"+1.5", NumeralStatus::kAccepted, kWhole},
      {side + "." + side, NumeralStatus::kAccepted, kWhole},
      {"1.2.3", NumeralStatus::kNotANumber, 3},         {"1-", NumeralStatus::kNotANumber, 1},
      {"--1", NumeralStatus::kNotANumber, 1},           {"1e5", NumeralStatus::kNotANumber, 1},
      {"#INFINITE", NumeralStatus::kNotANumber, 0},     {std::string("1\0", 2), NumeralStatus::kNotANumber, 1},
      {"\xD9\xA3", NumeralStatus::kNotANumber, 0},      {over + "x", NumeralStatus::kNotANumber, over.size()},
      {over, NumeralStatus::kTooManyIntDigits, kWhole},
      {"-" + over + "." + over, NumeralStatus::kTooManyIntDigits, kWhole},
      {"." + over, NumeralStatus::kTooManyFracDigits, kWhole},
  };
  for (const auto& [text, want, taken] : cases) {
    EXPECT_EQ(CheckNumeral(text.data(), text.size()), want) << text;
    NumeralScan scan;
    StartNumeralScan(&scan);
    EXPECT_EQ(ScanNumeralPrefix(&scan, text.data(), text.size()), taken == kWhole ? text.size() : taken) << text;
  }
}

TEST(TextForm, RefusedTextParsesToClearedZero) {
  // Long runs are scanned a word at a time: the refused byte sits at every
  // place of a word, and just outside the digits on both sides ('/' and ':').
  // Then a side one digit too long, before and after the point.
  const std::string over(kMaxNumeralDigits + 1, '1');
  for (const std::string& text : std::initializer_list<std::string>{
           "1.2.3", "abc", "1+1", "+-", "99x", "1234567/90123456", "123456789012345:", "12345678.1234567\xB9",
           "-0.00000000000/", "12345678901234567890.12:", "+1234567890e5", "-" + over + ".5", "1." + over}) {
    const DxNumber number = Parse(text);
    EXPECT_EQ(number.intCount, 0) << text;
    EXPECT_EQ(number.fracCount, 0) << text;
    EXPECT_EQ(number.isNegative, 0) << text;
  }
}

TEST(Adapter, ResultKeepsOnlyTheLastText) {
  const char* first = Result("1", "2", DxAdd);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first, "3");
  const char* second = Result("1", "2", DxSubtract);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second, "-1");
  // The same buffer holding the next pair's numerals, shorter, longer, then
  // the same text again and a text only its terminator tells apart (a longer
  // text after a shorter one that was its beginning, too).
  char left[8] = "12";
  char right[8] = "-3";
  const struct {
    const char* left;
    const char* right;
    DxOperation operation;
    const char* want;
  } steps[] = {
      {"12", "-3", DxMultiply, "-36"}, {"1", "-3", DxMultiply, "-3"}, {"12", "-3", DxMultiply, "-36"},
      {"1", "-3", DxMultiply, "-3"},   {"1.5", "-3", DxAdd, "-1.5"},
      {"1.5", "-3", DxSubtract, "4.5"}, {"1.5", "-30", DxDivide, "-0.05"}, {"1.5", "-3", DxDivide, "-0.5"},
  };
  for (const auto& step : steps) {
    std::strcpy(left, step.left);
    std::strcpy(right, step.right);
    EXPECT_STREQ(Result(left, right, step.operation), step.want) << step.left << " " << step.right;
  }
  // A text longer than any numeral reads as zero, and is not taken for the
  // numeral it begins with.
  const std::string longer = "1" + std::string(2 * kMaxNumeralLength, '0');
  EXPECT_STREQ(Result(longer.c_str(), "2", DxAdd), "2");
  EXPECT_STREQ(Result(longer.c_str(), "2", DxSubtract), "-2");
  const std::string nines(kMaxNumeralDigits, '9');
  const std::string longestAndOne = "-" + nines + "." + nines + "x";
  ASSERT_EQ(longestAndOne.size(), static_cast<size_t>(kMaxNumeralLength) + 1);
  EXPECT_STREQ(Result(longestAndOne.c_str(), "2", DxAdd), "2");
  EXPECT_STREQ(Result("1", "2", DxAdd), "3");
}

// Any operation other than the four goes through the records.
void RecordAdd(const DxNumber* left, const DxNumber* right, DxNumber* result) { DxAdd(left, right, result); }
void RecordDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) { DxDivide(left, right, result); }

TEST(Adapter, ResultAppliesAnyOperation) {
  EXPECT_STREQ(Result("1.5", "-2", RecordAdd), "-0.5");
  EXPECT_STREQ(Result("-1", "0", RecordDivide), "-#INFINITE");
  EXPECT_STREQ(Result("-1", "0", DxDivide), "-#INFINITE");
  EXPECT_STREQ(Result("1.5", "x", RecordAdd), "1.5");
}

// The text of the operation on a parsed numeral and 2.
std::string WrittenWithTwo(const Numeral& numeral, const ravur::Operation operation) {
  Numeral two;
  EXPECT_EQ(ravur::ParseNumeral(&two, "2", 1), NumeralStatus::kAccepted);
  char buffer[ravur::kResultRoom];
  const size_t length = ravur::WriteResult(buffer, &numeral, &two, operation);
  EXPECT_EQ(length, std::strlen(buffer));
  return buffer;
}

TEST(Adapter, ParsedNumeralsTakeOnlyTheirBytes) {
  using ravur::Operation, ravur::ParseNumeral, ravur::ParseNumeralFront, ravur::kFrontRoom;
  Numeral numeral;
  // A parsed numeral takes only its bytes, refusing a NUL among them.
  EXPECT_EQ(ParseNumeral(&numeral, "1.5x", 3), NumeralStatus::kAccepted);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kDivide), "0.75");
  EXPECT_EQ(ParseNumeral(&numeral, "-2\0" "7", 4), NumeralStatus::kNotANumber);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kAdd), "2");
  // A text longer than any numeral is judged whole, and parses to zero; the
  // parser does not read it (here with no byte after it to stop a scan).
  const std::string digits(2 * kMaxNumeralLength, '7');
  const std::vector<char> unended(digits.begin(), digits.end());
  ParseNumeral(&numeral, "5", 1);
  EXPECT_EQ(ParseNumeral(&numeral, unended.data(), unended.size()), NumeralStatus::kTooManyIntDigits);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kSubtract), "-2");
  const std::string fraction = "." + digits;
  EXPECT_EQ(ParseNumeral(&numeral, fraction.data(), fraction.size()), NumeralStatus::kTooManyFracDigits);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kMultiply), "0");
  // Read at the front where they lie, with room around them: the whole run
  // of digits is the front, judged whole and parsed to zero.
  const std::string room(kFrontRoom, '1');
  const std::string roomyDigits = room + digits + " " + room;
  ParseNumeral(&numeral, "5", 1);
  size_t front = 0;
  EXPECT_EQ(ParseNumeralFront(&numeral, roomyDigits.data() + room.size(), digits.size() + 1, &front),
            NumeralStatus::kTooManyIntDigits);
  EXPECT_EQ(front, digits.size());
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kSubtract), "-2");
  // A front that fills the bytes available may have more digits after them,
  // which it neither reads nor takes: zeros up to the end of memory here.
  const std::vector<char> zeros(room.size() + 3 + room.size(), '0');
  EXPECT_EQ(ParseNumeralFront(&numeral, zeros.data() + room.size(), 3, &front), NumeralStatus::kAccepted);
  EXPECT_EQ(front, 3u);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kSubtract), "-2");
  // Digits with no more than the room before them (the sanitizers' build
  // tells a read further back).
  const std::vector<char> ones(zeros.size(), '1');
  EXPECT_EQ(ParseNumeralFront(&numeral, ones.data() + room.size(), 3, &front), NumeralStatus::kAccepted);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kSubtract), "109");
  // No bytes at all, at no address: the empty numeral, zero.
  EXPECT_EQ(ParseNumeral(&numeral, nullptr, 0), NumeralStatus::kAccepted);
  EXPECT_EQ(WrittenWithTwo(numeral, Operation::kDivide), "0");
}

TEST(Compare, OrdersBySignThenMagnitude) {
  const struct {
    const char* left;
    const char* right;
    int32_t want;
  } cases[] = {
      {"1", "2", -1},   {"-1", "-2", 1},  {"1", "-1", 1},    {"1.5", "1.50", 0},  {"1.5", "1.51", -1},
      {"10", "9.99", 1}, {".5", "0.5", 0}, {".5", "0.3", 1}, {"-", "0", 0},       {"0.001", "0", 1},
  };
  for (const auto& c : cases) {
    const DxNumber l = Parse(c.left);
    const DxNumber r = Parse(c.right);
    EXPECT_EQ(DxCompare(&l, &r), c.want) << c.left << " vs " << c.right;
    EXPECT_EQ(DxCompare(&r, &l), -c.want) << c.right << " vs " << c.left;
  }
  DxNumber negativeZero = Parse("0");
  negativeZero.isNegative = 1;
  const DxNumber zero = Parse("0");
  EXPECT_EQ(DxCompare(&negativeZero, &zero), -1);
}

TEST(AddSubtract, SumsReplayedSwappedAndInverted) {
  const std::string nines(kMaxNumeralDigits, '9');
  const Row sums[] = {
      {"5", "5", "10"},       {"0.5", "0.5", "1"},    {"99", "1", "100"},   {"0.1", "0.2", "0.3"},
      {"1.50", "2.250", "3.75"}, {"-5", "5", "0"},    {"-3", "-5", "-8"},   {"1", "-0.5", "0.5"},
      {"1", "-999", "-998"},  {".5", "-0.3", "0.2"},  {".5", "-0.5", "0"},  {"0.3", "-0.1", "0.2"},
      {"99999999999999999999", "1", "100000000000000000000"},
  };
  for (const Row& row : sums) {
    EXPECT_EQ(Apply(DxAdd, row.left, row.right), row.want) << row.left << " + " << row.right;
    EXPECT_EQ(Apply(DxAdd, row.right, row.left), row.want) << row.right << " + " << row.left;
    EXPECT_EQ(Apply(DxSubtract, row.want, row.right), Text(Parse(row.left))) << row.want << " - " << row.right;
  }
  EXPECT_EQ(Apply(DxAdd, nines + "." + nines, "0." + std::string(kMaxNumeralDigits - 1, '0') + "1"),
            "1" + std::string(kMaxNumeralDigits, '0'));
  EXPECT_EQ(Apply(DxSubtract, "3", "5"), "-2");
  EXPECT_EQ(Apply(DxSubtract, "-3", "-5"), "2");
  EXPECT_EQ(Apply(DxSubtract, "5", "-5"), "10");
}

TEST(AddSubtract, EqualOperandsGiveTheZeroWithoutIntegerDigits) {
  const DxNumber a = Parse("-12.5");
  DxNumber result;
  DxSubtract(&a, &a, &result);
  EXPECT_EQ(result.intCount, 0);
  EXPECT_EQ(result.fracCount, 0);
  EXPECT_EQ(result.isNegative, 0);
}

TEST(MoveFloatPoint, ShiftsAndShiftsBack) {
  const struct {
    const char* numeral;
    int32_t places;
    const char* want;
    int32_t intCount;
  } cases[] = {
      {"1.5", 2, "150", 3},  {"0.05", 2, "5", 1},   {"1.25", 2, "125", 3},  {"150", -2, "1.5", 1},
      {"5", -1, "0.5", 0},   {"5", -3, "0.005", 0}, {"1.25", -1, "0.125", 0}, {"1.25", 1, "12.5", 2},
      {"-1.25", 3, "-1250", 4}, {"-7", -2, "-0.07", 0},
  };
  for (const auto& c : cases) {
    DxNumber number = Parse(c.numeral);
    MoveFloatPoint(&number, c.places);
    EXPECT_EQ(Text(number), c.want) << c.numeral << " by " << c.places;
    EXPECT_EQ(number.intCount, c.intCount) << c.numeral << " by " << c.places;
    MoveFloatPoint(&number, -c.places);
    EXPECT_EQ(Text(number), Text(Parse(c.numeral))) << c.numeral << " back";
  }
  DxNumber unnormalised = Digits({5, 0, 0}, {1, 0});
  unnormalised.isInfinite = 1;
  MoveFloatPoint(&unnormalised, 0);
  EXPECT_EQ(unnormalised.intCount, 1);
  EXPECT_EQ(unnormalised.fracCount, 1);
  EXPECT_EQ(unnormalised.isInfinite, 1) << "a shift by 0 only normalises";
  MoveFloatPoint(&unnormalised, 1);
  EXPECT_EQ(unnormalised.isInfinite, 0);
}

TEST(Multiply, ProductsReplayedSwapped) {
  const std::string nines(kMaxNumeralDigits, '9');
  const Row products[] = {
      {"1.5", "-2", "-3"},     {"0.5", "0.5", "0.25"},  {"1.50", "2.250", "3.375"}, {"-0.25", "-0.5", "0.125"},
      {"0", "5", "0"},         {"0", "-5", "-0"},        {"-0", "5", "0"},          {"999", "0.9", "899.1"},
      {"100", "0.001", "0.1"}, {"0.0001", "0.0001", "0.00000001"}, {"7", "1", "7"},
      {nines, nines, std::string(kMaxNumeralDigits - 1, '9') + "8" + std::string(kMaxNumeralDigits - 1, '0') + "1"},
  };
  for (const Row& row : products) {
    EXPECT_EQ(Apply(DxMultiply, row.left, row.right), row.want) << row.left << " x " << row.right;
    EXPECT_EQ(Apply(DxMultiply, row.right, row.left), row.want) << row.right << " x " << row.left;
  }
}

// A zero product has the digit 0 before the point only when neither operand
// has fraction digits and the right one's integer digits, shifted by the
// left one's, reach the units ("." parses with no integer digits).
TEST(Multiply, ZeroProductsTakeTheShapeOfTheirPartialProducts) {
  const struct {
    const char* left;
    const char* right;
    int32_t intCount;
  } shapes[] = {{".", "5", 0}, {".", "12", 1}, {"0", "5", 1}, {"5", ".", 0}, {"12", ".", 0}, {"0", ".5", 0}};
  for (const auto& shape : shapes) {
    const DxNumber left = Parse(shape.left);
    const DxNumber right = Parse(shape.right);
    DxNumber product;
    DxMultiply(&left, &right, &product);
    EXPECT_EQ(product.intCount, shape.intCount) << shape.left << " x " << shape.right;
    EXPECT_EQ(product.fracCount, 0) << shape.left << " x " << shape.right;
  }
}

TEST(Divide, QuotientsCutAtTheDigitBound) {
  const std::string two_hundred = "12345678901234567890" + std::string(180, '7');
  const Row quotients[] = {
      {"1", "2", "0.5"},   {"10", "4", "2.5"},   {"4", "2", "2"},       {"-8", "2", "-4"},
      {"2", "-0.5", "-4"}, {"0.3", "0.1", "3"},  {"1.5", "-2", "-0.75"}, {"1", "0.01", "100"},
      {"0.01", "10", "0.001"}, {"1", "0", "#INFINITE"}, {"-1", "0", "-#INFINITE"}, {"0", "0", "0"},
      {"0", "-5", "0"},    {"-0", "5", "0"},
      // Exact on limbs: the division ends at the first zero remainder.
      {"864197523086419752308641975230", "123456789012345678901234567890", "7"},
      {"-1.000000000000000000000000000002", "500000000000000000000000000001", "-0.000000000000000000000000000002"},
      // One unit under a multiple of the divisor, a quotient of nines: the
      // estimated quotient limb is one too high and the divisor is added back.
      {"999999999000000000000999999998", "1000000000000000000001",
       "999999998.999999999999999999999000000000000000000000999999999999999999999000000000000000000000999999999999999999999"},
      // The smallest numeral over the largest: the quotient's digits lie
      // 510 places below the point, near the end of the fraction's room.
      {"0." + std::string(254, '0') + "1", std::string(255, '9'), "0." + std::string(509, '0') + "1"},
  };
  for (const Row& row : quotients) {
    EXPECT_EQ(Apply(DxDivide, row.left, row.right), row.want) << row.left << " / " << row.right;
  }
  EXPECT_EQ(Apply(DxDivide, "1", "3"), "0." + std::string(kQuotientDigits - 1, '3'));
  EXPECT_EQ(Apply(DxDivide, "2", "3"), "0." + std::string(kQuotientDigits - 1, '6'));
  const std::string sevenths = Apply(DxDivide, "22", "7");
  EXPECT_EQ(sevenths.substr(0, 8), "3.142857");
  EXPECT_EQ(sevenths.size(), 2u + kQuotientDigits - 2);
  EXPECT_EQ(Apply(DxDivide, two_hundred, "1"),
            two_hundred.substr(0, kQuotientDigits) + std::string(200 - kQuotientDigits, '0'));
}

}  // namespace
