// Eight-byte words of digits or characters, for the library's eight-a-word
// loops. A word loaded "little-endian" has the byte at the lowest address in
// its lowest bits, and "big-endian" in its highest, on a machine of either
// byte order, so the loops give the same results everywhere.
//
// Each operation has a portable twin written in plain C++. Where GCC's or
// Clang's builtins and byte-order macros are at hand (and the build does not
// ask for CALC_PORTABLE_ARITHMETIC), the fast form is used; the tests check
// the two against each other.
#pragma once

#include <cstdint>
#include <cstring>

#if !defined(CALC_PORTABLE_ARITHMETIC) && defined(__GNUC__) && defined(__BYTE_ORDER__)
#define RAVUR_GNU_WORDS 1
#else
#define RAVUR_GNU_WORDS 0
#endif

// Private to the library, as the limb form is.
namespace ravur::detail {

using Word = uint64_t;
constexpr int32_t kWordBytes = sizeof(Word);
constexpr int32_t kByteBits = 8;

// --- Portable twins -----------------------------------------------------------

inline Word ReverseBytesPortable(Word word) {
  Word reversed = 0;
  for (int32_t i = 0; i < kWordBytes; ++i, word >>= kByteBits) reversed = (reversed << kByteBits) | (word & 0xFF);
  return reversed;
}

inline Word LoadLittlePortable(const void* from) {
  const auto* bytes = static_cast<const unsigned char*>(from);
  Word word = 0;
  for (int32_t i = kWordBytes - 1; i >= 0; --i) word = (word << kByteBits) | bytes[i];
  return word;
}

inline void StoreLittlePortable(void* to, Word word) {
  auto* bytes = static_cast<unsigned char*>(to);
  for (int32_t i = 0; i < kWordBytes; ++i, word >>= kByteBits) bytes[i] = static_cast<unsigned char>(word);
}

// The index (0 = lowest) of the lowest byte with a bit set; word is not 0.
inline int32_t LowestSetBytePortable(const Word word) {
  int32_t index = 0;
  while (((word >> (index * kByteBits)) & 0xFF) == 0) ++index;
  return index;
}

// --- What the library calls ----------------------------------------------------

#if RAVUR_GNU_WORDS

inline Word ReverseBytes(const Word word) { return __builtin_bswap64(word); }

inline Word LoadLittle(const void* from) {
  Word word;
  std::memcpy(&word, from, sizeof word);
  return __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? ReverseBytes(word) : word;
}

inline void StoreLittle(void* to, Word word) {
  if (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) word = ReverseBytes(word);
  std::memcpy(to, &word, sizeof word);
}

inline int32_t LowestSetByte(const Word word) { return __builtin_ctzll(word) / kByteBits; }

#else

inline Word ReverseBytes(const Word word) { return ReverseBytesPortable(word); }
inline Word LoadLittle(const void* from) { return LoadLittlePortable(from); }
inline void StoreLittle(void* to, const Word word) { StoreLittlePortable(to, word); }
inline int32_t LowestSetByte(const Word word) { return LowestSetBytePortable(word); }

#endif

inline Word LoadBig(const void* from) { return ReverseBytes(LoadLittle(from)); }
inline void StoreBig(void* to, const Word word) { StoreLittle(to, ReverseBytes(word)); }

}  // namespace ravur::detail
