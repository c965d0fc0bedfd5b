// ravur: exact signed decimal arithmetic on digit arrays.
//
// Plain records and free functions: every operation writes its answer into a
// caller-supplied record and signals nothing. The one exceptional arithmetic
// outcome, division by zero, is itself a value (the infinite flag).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ravur_numeral.h"  // the numeral grammar and the library's constants

// Every name of the library lives in this namespace; nothing else is global.
namespace ravur {

// A signed decimal number stored digit by digit.
//
// - Digits hold their value 0 to 9. intDigits runs least significant first
//   (intDigits[0] is the units digit, weight 10^k); fracDigits runs most
//   significant first (fracDigits[0] is the tenths digit, weight 10^-(k+1)).
// - Every position at or beyond a count (intDigits[k], k >= intCount;
//   fracDigits[k], k >= fracCount) holds 0. The arithmetic reads up to the
//   larger of two operands' counts and relies on finding zeros there; it holds
//   because every produced record is cleared whole first and trimming only
//   gives up positions that hold 0.
// - Normalised (as AdjustBits leaves it): intCount > 1 implies
//   intDigits[intCount-1] != 0, and fracCount > 0 implies
//   fracDigits[fracCount-1] != 0.
// - intCount may be 0: no integer digits at all (the numeral .5, or a
//   difference of equal numbers). It prints with a "0" before the point and
//   compares like the single integer digit 0.
// - Zero therefore has two shapes: intCount 0 / fracCount 0, and intCount 1
//   with intDigits[0] == 0 / fracCount 0. The parser clears its sign; a
//   product may set it (0 x -5 is -0).
// - When isInfinite is 1 the digits carry no meaning; the sign still does.
//   An infinite result of the arithmetic has no digits (both counts 0).
struct DxNumber {
  int32_t intCount;
  int32_t fracCount;
  uint8_t isInfinite;
  uint8_t isNegative;
  int8_t intDigits[kIntCapacity];
  int8_t fracDigits[kFracCapacity];
};

// The shape of the four arithmetic operations. The result must be a third
// record, distinct from both operands: it is cleared before they are read.
using DxOperation = void (*)(const DxNumber* left, const DxNumber* right, DxNumber* result);

// --- The record --------------------------------------------------------------

// Sets every byte to zero: both counts 0, both flags 0, every digit 0.
void InitDxNumberToZero(DxNumber* number);
// Trims leading integer zeros (keeping one integer digit once there is any)
// and trailing fraction zeros. Never raises a count, touches neither flag.
void AdjustBits(DxNumber* number);
// 1 when fracCount is 0 and intCount is 0, or 1 with the digit 0; otherwise 0.
// Looks at no other digit and ignores both flags.
int32_t IsZero(const DxNumber* number);
// Sets isInfinite; changes nothing else.
void MakeInfinite(DxNumber* number);

// --- Text form ---------------------------------------------------------------

// Parses a zero-terminated numeral into a normalised record; a zero comes out
// non-negative. A text that CheckNumeral does not accept leaves the record
// cleared (zero): no digit outside 0 to 9 is ever stored.
void CharArrToDxNumber(const char* text, DxNumber* number);
// Bytes the record's text form needs, terminator included: 11 for an
// infinite record, whatever its sign.
int32_t CharArrLenByDxNumber(const DxNumber* number);
// Writes the text form: optional "-", then "#INFINITE" or the integer digits
// ("0" when there are none), then "." and the fraction digits when there are
// any. The buffer must hold CharArrLenByDxNumber(number) bytes.
void DxNumberToCharArr(char* buffer, const DxNumber* number);
// Parses both numerals, applies the operation and returns its text. The text
// belongs to the library and stays valid until the next call; it is never
// nullptr (the library holds room for the longest text). Not reentrant: the
// text lives in one buffer of the library's. A program that computes from
// several threads, or keeps several results, uses the numerals below.
const char* Result(const char* left, const char* right, DxOperation operation);

// --- Parsed numerals ---------------------------------------------------------
//
// The fast way to apply the four operations to numerals: each numeral parsed
// once into a Numeral that the caller owns, then the text of any operation on
// two of them written into the caller's buffer. The functions keep nothing
// between calls and touch nothing but what they are handed, so any number of
// threads may use them at once, each with numerals and buffers of its own
// (numerals that are only read may be shared).

// The four operations, as WriteResult names them.
enum class Operation : uint8_t { kAdd, kSubtract, kMultiply, kDivide };

// A parsed numeral, in the form the library computes in: storage of a fixed
// size, owned by the caller (on the stack, in an array, anywhere) and filled
// by ParseNumeral or ParseNumeralFront before it is read. It may be copied as
// a whole, like any plain record.
constexpr size_t kNumeralBytes = 512;
struct Numeral {
  alignas(8) unsigned char storage[kNumeralBytes];
};

// Parses the `length` bytes at text (no terminator needed: a NUL byte among
// them is refused like any other non-digit) into numeral, as CharArrToDxNumber
// parses a numeral, and returns CheckNumeral's verdict on them. A text that is
// not accepted parses to zero; one longer than any numeral is judged without
// being stored.
NumeralStatus ParseNumeral(Numeral* numeral, const char* text, size_t length);

// Bytes that ParseNumeralFront may read on either side of what it is handed:
// it reads words, and reads them where the bytes lie. Their values do not
// matter.
constexpr size_t kFrontRoom = 8;
// Parses the front of the `available` bytes at text that the numeral grammar
// reads (a sign, digits, a point, digits) into numeral and sets *length to its
// count, for a reader that does not know yet where a token ends, such as one
// reading a stream through a buffer. Returns CheckNumeral's verdict on the
// front, which is the whole token's when a separator follows the front among
// the available bytes; otherwise (the front fills them, or a byte no numeral
// has follows it) the token goes on, and is to be judged whole. The
// kFrontRoom bytes before text, and as many from text[available] on, must be
// readable.
NumeralStatus ParseNumeralFront(Numeral* numeral, const char* text, size_t available, size_t* length);

// Bytes a buffer handed to WriteResult holds: the longest text and the few
// bytes past its terminator that the writer may use, as it writes whole
// words.
constexpr int32_t kResultRoom = kLongestText + 9;
// Writes the text of the operation on the two numerals, the text Result
// gives for the same numerals, zero-terminated, into buffer, which holds
// kResultRoom bytes (those past the terminator may be overwritten); returns
// the text's length.
size_t WriteResult(char* buffer, const Numeral* left, const Numeral* right, Operation operation);

// --- Arithmetic --------------------------------------------------------------
// Operands are read only. They may be any records whose digits are 0 to 9
// with zeros at and beyond the counts, normalised or not, whatever produced
// them: an operand is read as its value (leading integer zeros and trailing
// fraction zeros change nothing but the shapes said below). Every record the
// library produces keeps the rules of DxNumber, so results can be fed back
// in, chained to any depth.
// No operation reads or writes outside its operands, its result and its own
// working storage, and every result keeps the rules too. A result is:
// - exact when its integer digits fit kIntCapacity and its fraction digits
//   kFracCapacity (no intermediate form limits this: a product of two records
//   of kFracCapacity fraction digits each is only fraction digits, cut below);
// - infinite when it has more integer digits than kIntCapacity (counted from
//   its highest non-zero digit), with the sign of the exact result;
// - cut, not rounded, after kFracCapacity fraction digits, the rule the
//   quotient's cut already follows; a result cut to zero keeps its sign (-0).
// Infinite is sticky: an operation with an infinite operand gives an infinite
// result before any other rule applies (so 0 / infinite and infinite / 0 are
// infinite too), with the sign each operation states.

// 1 when left > right, -1 when left < right, 0 when equal. Sign flags decide
// first, so a negative zero compares below a non-negative zero. An infinite
// record lies beyond every finite record of its sign (-#INFINITE below every
// negative one, #INFINITE above every non-negative one); two infinite records
// of one sign are equal.
int32_t DxCompare(const DxNumber* left, const DxNumber* right);
// Sum and difference, exact unless infinite (a carry past kIntCapacity
// integer digits): they never have more fraction digits than an operand.
// A zero sum is negative only when both terms are (-0 + -0). A sum or
// difference below 1 has the digit 0 before the point (intCount 1) when either
// operand has integer digits, none otherwise. With an infinite operand the
// sum is infinite with that operand's sign (the left one's when both are).
void DxAdd(const DxNumber* left, const DxNumber* right, DxNumber* result);
// Equal operands give the cleared zero (intCount 0), not passed through
// AdjustBits. With an infinite operand the difference is infinite with the
// left operand's sign when that is infinite, otherwise the opposite of the
// right one's.
void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result);
// Multiplies the record in place by 10^places (places < 0 divides), by moving
// digits between the arrays; keeps the sign, drops the infinite flag (a shift
// by 0 only normalises, flag kept). A shift left by at least intCount places
// leaves intCount 0. Digits moved past the fraction room are cut; a shift
// that carries a non-zero digit past the integer room makes the record
// infinite instead (no digits, sign kept).
void MoveFloatPoint(DxNumber* number, int32_t places);
// Product, exact, cut or infinite as above. The sign comes from the flags
// alone, for every product: 0 x -5 is -0, and so is a negative product cut to
// zero; infinite x 0 is infinite. A non-zero product below 1 has no integer
// digits; a zero product has the digit 0 (intCount 1) only when neither
// operand has fraction digits, the right one has integer digits, and the two
// have at least two between them, each counted from its highest non-zero one
// (a zero with integer digits has one).
void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result);
// Long division to kQuotientDigits digits counted from the first generated
// one (of weight 10^(ta - tb), where 10^ta and 10^tb are the weights of the
// operands' highest non-zero digits), cut and not rounded, then cut after
// kFracCapacity fraction digits, or infinite when it has more integer digits
// than kIntCapacity. A zero dividend gives 0 (0 / 0 too); a zero divisor gives
// an infinite result with the dividend's sign. Otherwise the sign is negative
// when exactly one operand is, infinite operands and quotients cut to zero
// included. A quotient below 1 has the digit 0 before the point (intCount 1)
// when its first generated digit is of weight 10^0 or more, none otherwise.
void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result);

}  // namespace ravur
