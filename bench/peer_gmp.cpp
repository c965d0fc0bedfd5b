// An independent calc on GMP integers, written plainly and not tuned: the peer
// a C++ programmer would reach for. Same input, same bytes out.
//
// Reads whitespace-separated numerals in pairs from stdin and prints the
// prompt, then per pair the four headed results, then the prompt again. A
// numeral is held as an integer and a decimal scale (value = digits / 10^scale),
// normalised: no leading zeros, no trailing fraction zeros. Sum, difference and
// product are exact. The quotient is |a|/|b| cut toward zero to a multiple of
// 10^(corr-126), corr = fb - fa + lenA - lenB (fa, fb: scales; lenA, lenB:
// digits of the integers): the 127 digits of a long division whose first digit
// has weight 10^corr. 0 / anything is 0; x / 0 is #INFINITE with x's sign. The
// product's sign comes from the operands' signs as written, so 0 x -5 is -0; a
// parsed zero is non-negative.
//
// Tokens are assumed to be accepted numerals (the bench batches only hold such).
//
//   g++ -std=c++17 -O2 peer_gmp.cpp -lgmp -o peer_gmp
#include <cstdio>
#include <cstring>
#include <string>

#include <gmp.h>

namespace {

constexpr int kQuotientDigits = 127;
// A sign, 255 digits, a point and 255 digits, with room to spare.
constexpr int kTokenBytes = 600;

struct Decimal {
  mpz_t digits;  // the magnitude, point removed
  long scale;    // fraction digits
  long length;   // decimal digits of `digits` (0 for zero)
  bool negative;
};

void Parse(const char* token, Decimal* number) {
  std::string text = token;
  number->negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.erase(0, 1);
  const size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string frac = point == std::string::npos ? "" : text.substr(point + 1);
  frac.erase(frac.find_last_not_of('0') + 1);
  std::string all = whole + frac;
  all.erase(0, all.find_first_not_of('0'));
  number->scale = static_cast<long>(frac.size());
  number->length = static_cast<long>(all.size());
  if (all.empty()) {
    mpz_set_ui(number->digits, 0);
    number->negative = false;
  } else {
    mpz_set_str(number->digits, all.c_str(), 10);
  }
}

// Prints sign, integer digits ("0" when none) and the fraction without trailing zeros.
void Print(const char* heading, bool negative, const mpz_t magnitude, long scale) {
  std::string text(mpz_sizeinbase(magnitude, 10) + 2, '\0');
  mpz_get_str(&text[0], 10, magnitude);
  text.resize(std::strlen(text.c_str()));
  if (static_cast<long>(text.size()) <= scale) text.insert(0, scale + 1 - text.size(), '0');
  std::string whole = text.substr(0, text.size() - scale);
  std::string frac = text.substr(text.size() - scale);
  frac.erase(frac.find_last_not_of('0') + 1);
  std::printf("%s\n%s%s%s%s\n", heading, negative ? "-" : "", whole.c_str(), frac.empty() ? "" : ".",
              frac.c_str());
}

// a + b when `subtract` is false, a - b when it is true.
void AddOrSubtract(const char* heading, const Decimal* a, const Decimal* b, bool subtract, mpz_t work, mpz_t other) {
  const long scale = a->scale > b->scale ? a->scale : b->scale;
  mpz_ui_pow_ui(work, 10, scale - a->scale);
  mpz_mul(work, work, a->digits);
  if (a->negative) mpz_neg(work, work);
  mpz_ui_pow_ui(other, 10, scale - b->scale);
  mpz_mul(other, other, b->digits);
  if (b->negative != subtract) mpz_neg(other, other);
  mpz_add(work, work, other);
  const bool negative = mpz_sgn(work) < 0;
  mpz_abs(work, work);
  Print(heading, negative, work, scale);
}

void Divide(const char* heading, const Decimal* a, const Decimal* b, mpz_t work, mpz_t other) {
  if (a->length == 0) {
    std::printf("%s\n0\n", heading);
    return;
  }
  if (b->length == 0) {
    std::printf("%s\n%s#INFINITE\n", heading, a->negative ? "-" : "");
    return;
  }
  // The quotient in units of 10^cut: a * 10^shift / b, cut toward zero.
  const long cut = b->scale - a->scale + a->length - b->length - (kQuotientDigits - 1);
  const long shift = b->scale - a->scale - cut;
  mpz_ui_pow_ui(work, 10, shift < 0 ? -shift : shift);
  if (shift >= 0) {
    mpz_mul(work, work, a->digits);
    mpz_tdiv_q(work, work, b->digits);
  } else {
    mpz_mul(other, work, b->digits);
    mpz_tdiv_q(work, a->digits, other);
  }
  if (cut > 0) {
    mpz_ui_pow_ui(other, 10, cut);
    mpz_mul(work, work, other);
  }
  Print(heading, a->negative != b->negative, work, cut < 0 ? -cut : 0);
}

}  // namespace

int main() {
  Decimal a;
  Decimal b;
  mpz_t work;
  mpz_t other;
  mpz_inits(a.digits, b.digits, work, other, nullptr);
  char left[kTokenBytes];
  char right[kTokenBytes];
  std::puts("Input two numbers,please:");
  while (std::scanf("%599s %599s", left, right) == 2) {
    Parse(left, &a);
    Parse(right, &b);
    AddOrSubtract("The result of addition:", &a, &b, false, work, other);
    AddOrSubtract("The result of subtration:", &a, &b, true, work, other);
    mpz_mul(work, a.digits, b.digits);
    Print("The result of multiplication:", a.negative != b.negative, work, a.scale + b.scale);
    Divide("The result of divide:", &a, &b, work, other);
    std::puts("Input two numbers,please:");
  }
  mpz_clears(a.digits, b.digits, work, other, nullptr);
  return 0;
}
