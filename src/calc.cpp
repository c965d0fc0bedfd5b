// calc: reads signed decimal numerals in pairs from standard input and prints
// their exact sum, difference and product and their quotient cut to 127 digits.
//
// Exit status: 0 when every pair was computed; 1 when a token was refused or a
// numeral was left without its pair; 2 when reading, writing or memory failed.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

#include "ravur.h"

namespace {

constexpr char kPrompt[] = "Input two numbers,please:";
constexpr char kProgram[] = "calc";
constexpr int kExitComputed = 0;
constexpr int kExitRefused = 1;
constexpr int kExitFailure = 2;
// A refused token is named by at most this many of its first bytes.
constexpr size_t kShownTokenBytes = 40;
constexpr size_t kOutputBufferBytes = 1 << 16;

struct Heading {
  const char* text;
  DxOperation operation;
};
constexpr Heading kHeadings[] = {
    {"The result of addition:", DxAdd},
    {"The result of subtration:", DxSubtract},
    {"The result of multiplication:", DxMultiply},
    {"The result of divide:", DxDivide},
};

// One whitespace-separated token. Only its first kMaxNumeralLength + 1 bytes
// are kept: enough to hold any accepted numeral whole and to name any refused
// one, so a token of any length costs bounded memory. The scan judges all of it.
struct Token {
  std::string text;
  size_t length;
  NumeralScan scan;
};

// The same bytes the "%s" conversion skips.
bool IsSeparator(const int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The single-threaded driver reads without the stream's lock (POSIX).
int NextByte(std::FILE* in) { return getc_unlocked(in); }

// Reads the next token; false at end of input with no token begun.
bool ReadToken(std::FILE* in, Token* token) {
  int c = NextByte(in);
  while (c != EOF && IsSeparator(c)) c = NextByte(in);
  if (c == EOF) return false;
  token->text.clear();
  token->length = 0;
  StartNumeralScan(&token->scan);
  for (; c != EOF && !IsSeparator(c); c = NextByte(in)) {
    const char byte = static_cast<char>(c);
    ScanNumeralChar(&token->scan, byte);
    if (token->length <= static_cast<size_t>(kMaxNumeralLength)) token->text.push_back(byte);
    ++token->length;
  }
  return true;
}

// The token's first bytes, quoted, with anything unprintable escaped.
std::string ShownToken(const Token* token) {
  std::string shown = "\"";
  const size_t count = token->length < kShownTokenBytes ? token->length : kShownTokenBytes;
  for (size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(token->text[i]);
    if (byte == '"' || byte == '\\') {
      shown += '\\';
      shown += static_cast<char>(byte);
    } else if (byte < ' ' || byte > '~') {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    } else {
      shown += static_cast<char>(byte);
    }
  }
  if (token->length > count) shown += "...";
  return shown + "\"";
}

// Error lines go after whatever results are still buffered, so that a
// combined stream reads in order.
void Complain(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

// Reports the token on standard error unless it is an accepted numeral.
bool AcceptToken(const Token* token) {
  std::string why;
  switch (NumeralScanStatus(&token->scan)) {
    case NumeralStatus::kAccepted:
      return true;
    case NumeralStatus::kNotANumber:
      why = " is not a decimal number";
      break;
    case NumeralStatus::kTooManyIntDigits:
      why = ": more than " + std::to_string(kMaxNumeralDigits) + " digits before the point";
      break;
    case NumeralStatus::kTooManyFracDigits:
      why = ": more than " + std::to_string(kMaxNumeralDigits) + " digits after the point";
      break;
  }
  Complain(ShownToken(token) + why);
  return false;
}

// Prints the four headed results; false if memory ran out.
bool PrintResults(const Token* left, const Token* right) {
  for (const Heading& heading : kHeadings) {
    const char* text = Result(left->text.c_str(), right->text.c_str(), heading.operation);
    if (text == nullptr) return false;
    std::fputs(heading.text, stdout);
    std::putc('\n', stdout);
    std::fputs(text, stdout);
    std::putc('\n', stdout);
  }
  return true;
}

// Output to a pipe or a file goes out in large blocks; a terminal keeps its
// line buffering so that the prompt shows before the program waits for input.
void BufferOutput() {
  static char buffer[kOutputBufferBytes];
  if (!isatty(fileno(stdout))) std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
}

int Run() {
  BufferOutput();
  int status = kExitComputed;
  Token left;
  Token right;
  std::puts(kPrompt);
  while (ReadToken(stdin, &left)) {
    if (!ReadToken(stdin, &right)) {
      Complain(ShownToken(&left) + " has no second number to pair with; input ended");
      status = kExitRefused;
      break;
    }
    const bool leftAccepted = AcceptToken(&left);
    const bool rightAccepted = AcceptToken(&right);
    if (leftAccepted && rightAccepted) {
      if (!PrintResults(&left, &right)) {
        Complain("out of memory");
        return kExitFailure;
      }
    } else {
      status = kExitRefused;
    }
    std::puts(kPrompt);
  }
  if (std::ferror(stdin)) {
    Complain(std::string("cannot read standard input: ") + std::strerror(errno));
    return kExitFailure;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Complain(std::string("cannot write standard output: ") + std::strerror(errno));
    return kExitFailure;
  }
  return status;
}

}  // namespace

int main() { return Run(); }
