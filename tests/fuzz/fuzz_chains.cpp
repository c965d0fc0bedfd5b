// libFuzzer target for chains of operations on results of results. The input
// is numerals, then a program: the bytes before the first '|' are split at
// whitespace into tokens, each parsed with CharArrToDxNumber (a refused one is
// zero); with a few fixed records (the widest numeral, the smallest fraction,
// 1, -0.5, 0) they start the pool. The bytes after the '|' are taken two at a
// time, each pair one operation on records of the pool, mostly the latest
// ones, its result added to the pool:
//
//   first byte, low three bits: 0 sum, 1 difference, 2 and 6 product,
//     3 and 7 quotient, 4 point shift by a number of places, 5 point shift to
//     a bound of the room; the other five bits pick the left operand;
//   second byte: picks the right operand, or the shift.
//
// Every produced record is checked for the representation rules of ravur.h,
// its text against CharArrLenByDxNumber, its operands for being left as they
// were, its value against exact arithmetic under the rules of ravur.h
// (reference_ravur.h), and its order against another record of the pool.
// Each record lives alone on the heap, so that AddressSanitizer reports any
// byte read or written past one. A failed check prints what failed and traps.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ravur.h"
#include "reference_ravur.h"

namespace {

using ravur::kIntCapacity, ravur::kFracCapacity, ravur::kMaxNumeralDigits, ravur::DxNumber, ravur::DxOperation,
      ravur::CharArrToDxNumber, ravur::CharArrLenByDxNumber, ravur::DxNumberToCharArr, ravur::DxCompare,
      ravur::DxAdd, ravur::DxSubtract, ravur::DxMultiply, ravur::DxDivide, ravur::MoveFloatPoint;
using reference::Operation, reference::OperationOf;

constexpr size_t kMaxTokens = 8;
constexpr size_t kMaxSteps = 96;

[[noreturn]] void Fail(const std::string& what, const std::string& fault) {
  std::fprintf(stderr, "fuzz_chains: %s: %s\n", what.c_str(), fault.c_str());
  __builtin_trap();
}

std::string Describe(const DxNumber& number) {
  const std::string sign = number.isNegative ? "-" : "";
  return sign + (number.isInfinite ? "#INFINITE" : reference::Describe(reference::ExactOf(number)));
}

// The text, written into a heap buffer of exactly the announced size.
std::string TextFault(const DxNumber& number) {
  const int32_t size = CharArrLenByDxNumber(&number);
  if (size < 2 || size > ravur::kLongestText) return "text size " + std::to_string(size);
  char* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  if (buffer == nullptr) return "";
  DxNumberToCharArr(buffer, &number);
  const size_t length = strnlen(buffer, static_cast<size_t>(size));
  std::free(buffer);
  if (number.isInfinite) return size == 11 ? "" : "an infinite text of size " + std::to_string(size);
  return length + 1 == static_cast<size_t>(size) ? "" : "a text of " + std::to_string(length) + " characters";
}

void CheckProduced(const DxNumber& number, const std::string& what, const std::string& valueFault) {
  std::string fault = reference::RecordFault(number);
  if (fault.empty()) fault = TextFault(number);
  if (fault.empty()) fault = valueFault;
  if (!fault.empty()) Fail(what, fault);
}

bool IsSeparator(const char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The weight of the highest non-zero digit (0 for zero).
int32_t TopWeight(const DxNumber& number) {
  if (number.intCount > 1 || (number.intCount == 1 && number.intDigits[0] != 0)) return number.intCount - 1;
  for (int32_t k = 0; k < number.fracCount; ++k) {
    if (number.fracDigits[k] != 0) return -(k + 1);
  }
  return 0;
}

// A shift by a number of places: the extremes, the whole room, or a multiple
// of 13 up to the room either way.
int32_t Places(const uint8_t byte) {
  constexpr int32_t kRoom = kIntCapacity + kFracCapacity;
  switch (byte) {
    case 0x80: return INT32_MIN;
    case 0x7F: return INT32_MAX;
    case 0x7E: return kRoom;
    case 0x81: return -kRoom;
    default: return static_cast<int32_t>(static_cast<int8_t>(byte)) * 13;
  }
}

// A shift that lands the highest digit one place below, on, or one place
// above the top of the integer room or the bottom of the fraction room, or
// the lowest digit around the bottom of the fraction room.
int32_t PlacesToBound(const DxNumber& number, const uint8_t byte) {
  const int32_t near = byte % 3 - 1;
  switch (byte / 3 % 3) {
    case 0: return kIntCapacity - 1 - TopWeight(number) + near;
    case 1: return -kFracCapacity - TopWeight(number) + near;
    default: return number.fracCount - kFracCapacity + near;
  }
}

using Record = std::unique_ptr<DxNumber>;

Record Parse(const std::string& text) {
  auto number = std::make_unique<DxNumber>();
  CharArrToDxNumber(text.c_str(), number.get());
  return number;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const char* bar = static_cast<const char*>(std::memchr(bytes, '|', size));
  const size_t textSize = bar == nullptr ? size : static_cast<size_t>(bar - bytes);

  std::vector<Record> pool;
  const std::string nines(kMaxNumeralDigits, '9');
  for (const std::string& fixed : {nines + "." + nines, "0." + std::string(kMaxNumeralDigits - 1, '0') + "1",
                                   std::string("1"), std::string("-0.5"), std::string("0")}) {
    pool.push_back(Parse(fixed));
  }
  for (size_t at = 0, tokens = 0; at < textSize && tokens < kMaxTokens;) {
    while (at < textSize && IsSeparator(bytes[at])) ++at;
    size_t end = at;
    while (end < textSize && !IsSeparator(bytes[end])) ++end;
    if (end == at) break;
    // The parser reads up to a NUL byte, as a zero-terminated text ends there.
    pool.push_back(Parse(std::string(bytes + at, end - at).c_str()));
    CheckProduced(*pool.back(), "a parsed token", "");
    ++tokens;
    at = end;
  }

  const size_t programSize = bar == nullptr ? 0 : size - textSize - 1;
  const auto* program = reinterpret_cast<const uint8_t*>(bar == nullptr ? bytes + size : bar + 1);
  for (size_t step = 0; step + 1 < programSize && step / 2 < kMaxSteps; step += 2) {
    const uint8_t code = program[step];
    const uint8_t argument = program[step + 1];
    const size_t count = pool.size();
    const DxNumber& left = *pool[count - 1 - (code >> 3) % count];
    const DxNumber& right = *pool[count - 1 - argument % count];
    auto result = std::make_unique<DxNumber>();
    const std::string what = "step " + std::to_string(step / 2) + " on " + Describe(left);
    if ((code & 7) == 4 || (code & 7) == 5) {
      const int32_t places = (code & 7) == 4 ? Places(argument) : PlacesToBound(left, argument);
      std::memcpy(result.get(), &left, sizeof left);
      MoveFloatPoint(result.get(), places);
      CheckProduced(*result, what + " moved by " + std::to_string(places),
                    reference::ShiftFault(left, places, *result));
    } else {
      constexpr Operation kOperations[] = {Operation::kAdd,      Operation::kSubtract, Operation::kMultiply,
                                           Operation::kDivide,   Operation::kAdd,      Operation::kAdd,
                                           Operation::kMultiply, Operation::kDivide};
      const Operation operation = kOperations[code & 7];
      unsigned char leftBytes[sizeof(DxNumber)];
      unsigned char rightBytes[sizeof(DxNumber)];
      std::memcpy(leftBytes, &left, sizeof leftBytes);
      std::memcpy(rightBytes, &right, sizeof rightBytes);
      std::memset(result.get(), 0x5A, sizeof(DxNumber));  // the operation must clear what it finds
      OperationOf(operation)(&left, &right, result.get());
      const std::string with = what + " operation " + std::to_string(static_cast<int>(operation)) + " with " +
                               Describe(right);
      if (std::memcmp(leftBytes, &left, sizeof leftBytes) != 0 || std::memcmp(rightBytes, &right, sizeof rightBytes) != 0) {
        Fail(with, "an operand changed");
      }
      CheckProduced(*result, with, reference::ResultFault(operation, left, right, *result));
    }
    const DxNumber& other = *pool[argument % count];
    std::string fault = reference::CompareFault(*result, other, DxCompare(result.get(), &other));
    if (fault.empty()) fault = reference::CompareFault(other, *result, DxCompare(&other, result.get()));
    if (!fault.empty()) Fail(what + ", the result against " + Describe(other), fault);
    pool.push_back(std::move(result));
  }
  return 0;
}
