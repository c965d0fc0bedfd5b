// calc: reads signed decimal numerals in pairs from standard input and prints
// their exact sum, difference and product and their quotient cut to 127 digits.
//
// Exit status: 0 when every pair was computed; 1 when a token was refused or a
// numeral was left without its pair; 2 when reading or writing failed,
// or the command line was not understood.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "input.h"
#include "ravur.h"

namespace {

using ravur::kMaxNumeralDigits, ravur::kMaxNumeralLength, ravur::kLongestText, ravur::kResultRoom, ravur::Numeral,
      ravur::Operation, ravur::ParseNumeral, ravur::ParseNumeralFront, ravur::kFrontRoom, ravur::WriteResult,
      ravur::NumeralStatus, ravur::NumeralScan, ravur::StartNumeralScan, ravur::ScanNumeralPrefix,
      ravur::ScanNumeralText, ravur::NumeralScanStatus;

constexpr char kProgram[] = "calc";
constexpr int kExitComputed = 0;
constexpr int kExitRefused = 1;
constexpr int kExitFailure = 2;
constexpr int kExitUsage = 2;
// A refused token is named by at most this many of its first bytes.
constexpr size_t kShownTokenBytes = 40;
constexpr size_t kOutputBufferBytes = 1 << 16;

// A heading and its line end (length bytes, padded with zeros to
// kHeadingRoom so that it is copied whole in one fixed-size move), then the
// result of its operation on a line.
constexpr size_t kHeadingRoom = 32;
struct Heading {
  char line[kHeadingRoom];
  size_t length;
  Operation operation;
};
template <size_t kBytes>
constexpr Heading MakeHeading(const char (&line)[kBytes], const Operation operation) {
  static_assert(kBytes <= kHeadingRoom, "a heading fits its room");
  Heading heading{{}, kBytes - 1, operation};
  for (size_t i = 0; i < kBytes; ++i) heading.line[i] = line[i];
  return heading;
}
constexpr Heading kHeadings[] = {
    MakeHeading("The result of addition:\n", Operation::kAdd),
    MakeHeading("The result of subtration:\n", Operation::kSubtract),
    MakeHeading("The result of multiplication:\n", Operation::kMultiply),
    MakeHeading("The result of divide:\n", Operation::kDivide),
};

// One whitespace-separated token. A token read whole from the input buffer
// is left there (inBuffer) until the buffer is to be filled again, and only
// then kept (KeepToken); any other is kept as it is read. Only its first
// kKeptTokenBytes bytes are kept, zero-terminated: enough to hold any
// accepted numeral whole and to name any refused one, so a token of any
// length costs bounded memory. The status judges all of it.
constexpr size_t kKeptTokenBytes = kMaxNumeralLength + 1;
struct Token {
  const char* inBuffer;  // its bytes in the input buffer; nullptr once kept in text
  char text[kKeptTokenBytes + 1];
  size_t length;  // of the whole token, kept or not
  NumeralStatus status;
};

// The token's bytes, at least its first kKeptTokenBytes.
const char* TokenBytes(const Token* token) { return token->inBuffer != nullptr ? token->inBuffer : token->text; }

// Copies a token still in the input buffer out of it.
void KeepToken(Token* token) {
  if (token->inBuffer == nullptr) return;
  std::memcpy(token->text, token->inBuffer, token->length);  // no longer than a numeral
  token->text[token->length] = '\0';
  token->inBuffer = nullptr;
}

// Fills the input buffer again, once the pair's token still in it (if any)
// is kept; false at end of input.
bool Refill(Input* in, Token* pending) {
  if (pending != nullptr) KeepToken(pending);
  return FillInput(in);
}

// The same bytes the "%s" conversion skips.
bool IsSeparator(const char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Moves past separators; false at end of input.
bool SkipSeparators(Input* in, Token* pending) {
  for (;;) {
    while (in->next != in->end && IsSeparator(*in->next)) ++in->next;
    if (in->next != in->end) return true;
    if (!Refill(in, pending)) return false;
  }
}

// The first separator in [from, end), or end. Digits, signs, points and
// most other bytes lie above ' ', so one comparison passes them.
const char* FindSeparator(const char* from, const char* end) {
  while (from != end && (static_cast<unsigned char>(*from) > ' ' || !IsSeparator(*from))) ++from;
  return from;
}

// The end of the token's bytes in [begin, end), a piece of the input buffer,
// judged on the way: the scan takes the bytes a numeral may go on with, and
// the first byte it cannot take either ends the token (a separator) or
// refuses it, after which the rest of the token is only passed over.
const char* ScanPiece(NumeralScan* scan, const char* begin, const char* end) {
  const char* stop = begin + ScanNumeralPrefix(scan, begin, static_cast<size_t>(end - begin));
  if (stop != end && !IsSeparator(*stop)) {
    ScanNumeralText(scan, stop, 1);  // refused by this byte
    stop = FindSeparator(stop, end);
  }
  return stop;
}

// Keeps the token's bytes in [begin, stop), as far as the kept room goes.
void KeepPiece(Token* token, const char* begin, const char* stop) {
  const auto count = static_cast<size_t>(stop - begin);
  if (token->length < kKeptTokenBytes) {
    std::memcpy(token->text + token->length, begin, std::min(count, kKeptTokenBytes - token->length));
  }
  token->length += count;
}

// Reads a token that reaches the end of what has been read so far, or is
// longer than any numeral: a buffered piece at a time, each judged on the
// way, a piece ending at a separator or at the end of what has been read.
void ReadTokenInPieces(Input* in, Token* token, Token* pending) {
  NumeralScan scan;
  StartNumeralScan(&scan);
  token->inBuffer = nullptr;
  token->length = 0;
  do {
    const char* stop = ScanPiece(&scan, in->next, in->end);
    KeepPiece(token, in->next, stop);
    in->next = stop;
  } while (in->next == in->end && Refill(in, pending));
  token->text[std::min(token->length, kKeptTokenBytes)] = '\0';
  token->status = NumeralScanStatus(&scan);
}

// True when the parser's room lies around the buffered bytes [begin, end).
bool HasRoom(const Input* in, const char* begin, const char* end) {
  return static_cast<size_t>(begin - in->roomBegin) >= kFrontRoom &&
         static_cast<size_t>(in->roomEnd - end) >= kFrontRoom;
}

// ReadToken's token that its front's parse did not find whole, from its first
// byte, begin, with limit the end of the bytes ReadToken looked at: found by
// its separator and judged by its parse (with room around it, such a token
// goes on past its front: it is refused), or, when the buffer ends within it
// or it is longer than a numeral, judged as it is read, then parsed when it
// is a numeral.
void ReadTokenBySeparator(Input* in, Token* token, Numeral* numeral, Token* pending, const char* const begin,
                          const char* const limit) {
  const char* const stop = FindSeparator(begin, limit);
  if (stop == limit) {
    ReadTokenInPieces(in, token, pending);
    if (token->status == NumeralStatus::kAccepted) ParseNumeral(numeral, token->text, token->length);
    return;
  }
  token->inBuffer = begin;
  token->length = static_cast<size_t>(stop - begin);
  in->next = stop;
  token->status = ParseNumeral(numeral, begin, token->length);
}

// Reads the next token and parses it into numeral; false at end of
// input with no token begun. pending is the pair's token read before, kept
// before the buffer is filled again. A token that lies in the buffer whole,
// followed by a separator, and is no longer than a numeral is left there. Where
// the buffer has the parser's room around it, the parse of its front finds
// its end: a numeral, or what can be one, is read in that one pass; any other
// token is ReadTokenBySeparator's. Inline: this is the driver's path for
// every token.
inline bool ReadToken(Input* in, Token* token, Numeral* numeral, Token* pending) {
  if (!SkipSeparators(in, pending)) return false;
  const char* const begin = in->next;
  const size_t available = std::min(static_cast<size_t>(in->end - begin), static_cast<size_t>(kMaxNumeralLength) + 1);
  const char* const limit = begin + available;
  if (HasRoom(in, begin, limit)) {
    size_t length = 0;
    const NumeralStatus status = ParseNumeralFront(numeral, begin, available, &length);
    if (length < available && IsSeparator(begin[length])) {
      token->inBuffer = begin;
      token->length = length;
      token->status = status;
      in->next = begin + length + 1;  // past the separator found
      return true;
    }
  }
  ReadTokenBySeparator(in, token, numeral, pending, begin, limit);
  return true;
}

// The first bytes of a text of `length` bytes (at least those first ones are
// at `bytes`), quoted, with anything unprintable escaped.
std::string Shown(const char* bytes, const size_t length) {
  std::string shown = "\"";
  const size_t count = length < kShownTokenBytes ? length : kShownTokenBytes;
  for (size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
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
  if (length > count) shown += "...";
  return shown + "\"";
}

std::string ShownToken(const Token* token) { return Shown(TokenBytes(token), token->length); }

// calc's own output buffer: every pair's headed results and the prompt after
// them are written here and handed to standard output (WriteOutput) in large
// blocks, so that stdio is called once a block instead of once a line. It is
// handed over whole before anything else reaches standard output or standard
// error, and before calc may wait for input, so the order of the output and
// of refusals on a shared stream is the order they were produced in.
struct Output {
  size_t used;
  char bytes[kOutputBufferBytes];
};
Output g_output;

void HandOver() {
  if (g_output.used == 0) return;
  WriteOutput(g_output.bytes, g_output.used);
  g_output.used = 0;
}

// Makes room for `count` more bytes; count is at most kOutputBufferBytes.
char* OutputRoom(const size_t count) {
  if (kOutputBufferBytes - g_output.used < count) HandOver();
  return g_output.bytes + g_output.used;
}

void Emit(const char* bytes, const size_t count) {
  std::memcpy(OutputRoom(count), bytes, count);
  g_output.used += count;
}

// Everything produced so far, out of calc's buffer and stdio's.
void FlushOutput() {
  HandOver();
  std::fflush(stdout);
}

// Error lines go after whatever results are still buffered, so that a
// combined stream reads in order.
void Complain(const std::string& message) {
  FlushOutput();
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

// Flushes standard output; false, once the reason is on standard error, when
// any of it could not be written.
bool OutputWritten() {
  HandOver();
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  Complain(std::string("cannot write standard output: ") + std::strerror(errno));
  return false;
}

bool Accepted(const Token* token) { return token->status == NumeralStatus::kAccepted; }

// Why the token is refused, as its line on standard error; empty when it is an
// accepted numeral.
std::string Refusal(const Token* token) {
  std::string why;
  switch (token->status) {
    case NumeralStatus::kAccepted:
      return why;
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
  return ShownToken(token) + why;
}

// What the driver owes its readers before it may wait for input: the results
// buffered on standard output, and the refusal of a pair's first token, which
// is thus named before calc waits for its partner (or, when the partner is
// already there, once it is read, in the same place on standard error).
struct Owed {
  std::string refusal;  // empty when nothing is owed on standard error
};

void PayRefusal(Owed* owed) {
  if (owed->refusal.empty()) return;
  Complain(owed->refusal);
  owed->refusal.clear();
}

// The input's wait hook: a reader driving calc through pipes gets every
// complete pair's results and the prompt after them before calc waits.
void PayBeforeWait(void* context) {
  PayRefusal(static_cast<Owed*>(context));
  FlushOutput();
}

constexpr size_t LongestHeading() {
  size_t longest = 0;
  for (const Heading& heading : kHeadings) longest = std::max(longest, heading.length);
  return longest;
}

// The prompt line, its line end included.
constexpr char kPromptLine[] = "Input two numbers,please:\n";
constexpr size_t kPromptLineBytes = sizeof kPromptLine - 1;

// A pair's four headed results and the prompt after them, each result's line
// end in the place of its text's terminator.
// The room asked for it has the bytes past the last text's terminator that
// WriteResult may use besides.
constexpr size_t kPairTextBytes = std::size(kHeadings) * (LongestHeading() + kLongestText) + kPromptLineBytes;
constexpr size_t kPairRoomBytes = kPairTextBytes + (kResultRoom - kLongestText);
static_assert(kPairRoomBytes <= kOutputBufferBytes, "a pair's text fits calc's output buffer");
static_assert(kHeadingRoom <= LongestHeading() + kLongestText, "a heading's padding lies in its result's room");

// Writes the four headed results of the pair of numerals and the next
// prompt into calc's output, each result straight into it.
void PrintResults(const Numeral* left, const Numeral* right) {
  char* const begin = OutputRoom(kPairRoomBytes);
  char* out = begin;
  // Unrolled: each heading's length and operation then come as constants.
#pragma GCC unroll 4
  for (const Heading& heading : kHeadings) {
    std::memcpy(out, heading.line, kHeadingRoom);  // the padding is overwritten by the result
    out += heading.length;
    out += WriteResult(out, left, right, heading.operation);
    *out++ = '\n';
  }
  std::memcpy(out, kPromptLine, kPromptLineBytes);
  g_output.used += static_cast<size_t>(out + kPromptLineBytes - begin);
}

void PrintPrompt() { Emit(kPromptLine, kPromptLineBytes); }

// Output to a pipe or a file goes out in calc's own large blocks, which stdio
// passes on as they come instead of copying them into a buffer of its own;
// PayBeforeWait hands them over whenever calc is about to wait for input. A
// terminal keeps stdio's line buffering.
void BufferOutput() {
  if (!OutputIsTerminal()) std::setvbuf(stdout, nullptr, _IONBF, 0);
}

int Run() {
  BufferOutput();
  Owed owed;
  Input input;
  OpenInput(&input, PayBeforeWait, &owed);
  int status = kExitComputed;
  Token left;
  Token right;
  Numeral leftNumeral;  // each parsed as its token is read
  Numeral rightNumeral;
  PrintPrompt();
  bool haveLeft = ReadToken(&input, &left, &leftNumeral, nullptr);
  while (haveLeft) {
    input.dropped = false;
    const bool leftAccepted = Accepted(&left);
    if (!leftAccepted) owed.refusal = Refusal(&left);
    const bool paired = ReadToken(&input, &right, &rightNumeral, &left);
    if (input.dropped) {
      // Ctrl-C at the editor threw a line away, and this pair's first number
      // with it (a refusal of it was named before the wait); the token after
      // it, if any, begins a pair.
      owed.refusal.clear();
      std::swap(left, right);
      haveLeft = paired;
      // It was parsed as a second number.
      if (haveLeft && Accepted(&left)) ParseNumeral(&leftNumeral, TokenBytes(&left), left.length);
      continue;
    }
    if (!paired) {
      // A lone token is named once, for being alone, unless its refusal
      // already went out while calc waited for more input.
      owed.refusal.clear();
      Complain(ShownToken(&left) + " has no second number to pair with; input ended");
      status = kExitRefused;
      break;
    }
    PayRefusal(&owed);
    const bool rightAccepted = Accepted(&right);
    if (!rightAccepted) Complain(Refusal(&right));
    if (leftAccepted && rightAccepted) {
      PrintResults(&leftNumeral, &rightNumeral);
    } else {
      status = kExitRefused;
      PrintPrompt();
    }
    haveLeft = ReadToken(&input, &left, &leftNumeral, nullptr);
  }
  if (input.error != 0) {
    Complain(std::string("cannot read standard input: ") + ReadErrorText(input.error));
    return kExitFailure;
  }
  return OutputWritten() ? status : kExitFailure;
}

// The usage text; its %s stand for the keys that end input at a terminal,
// the terminal's sentence and the example, as the platform part words them.
constexpr char kUsage[] =
    "Usage: calc [-h | --help | --version | --]\n"
    "\n"
    "Reads signed decimal numbers from standard input two at a time and, for\n"
    "every pair, prints their exact sum, difference and product and their\n"
    "quotient cut (not rounded) to 127 digits, each under a heading of its own,\n"
    "then prompts for the next pair. Input ends at end of file (%s).\n"
    "\n"
    "Input: tokens separated by spaces, tabs or line ends, taken in pairs. A\n"
    "numeral is an optional sign, at most 255 digits, and optionally a point\n"
    "and at most 255 digits: 12, -0.5, +3.25, 5. and .5 are numerals. A refused\n"
    "token is named on standard error and its pair is skipped.\n"
    "%s\n"
    "\n"
    "Output: the prompt line, then for every pair four headed results, each on\n"
    "the line after its heading; results come out as soon as a pair is read.\n"
    "\n"
    "Exit status: 0 every pair was computed; 1 a token was refused or left\n"
    "without a partner; 2 input could not be read, output could not be\n"
    "written, or the command line was not understood.\n"
    "\n"
    "Example: %s\n"
    "\n"
    "Options:\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n"
    "  --          end of options: calc reads standard input\n";
// The options list's line for the platform's own help option.
constexpr char kHelpOptionLine[] = "  %-10s  print this help and exit\n";

// The exit status of an option that answers and exits, once its answer is
// printed.
int Answered() { return OutputWritten() ? kExitComputed : kExitFailure; }

int PrintHelp() {
  std::printf(kUsage, kEndOfInputKeys, kTerminalHelp, kHelpExample);
  if (kHelpOption[0] != '\0') std::printf(kHelpOptionLine, kHelpOption);
  return Answered();
}

int PrintVersion() {
  std::printf("calc %s\n", CALC_VERSION);
  return Answered();
}

bool Is(const char* argument, const char* option) { return std::strcmp(argument, option) == 0; }

bool IsHelp(const char* argument) {
  return Is(argument, "--help") || Is(argument, "-h") || (kHelpOption[0] != '\0' && Is(argument, kHelpOption));
}

// A usage error: its one line on standard error, and its status.
int Misused(const std::string& what) {
  std::fprintf(stderr, "%s: %s; see calc --help\n", kProgram, what.c_str());
  return kExitUsage;
}

// calc takes at most one argument: "--", which ends the options and leaves
// the input to be read, or one of those that answer a question and exit.
int RunCommandLine(const int argc, char** argv) {
  if (argc > 2) return Misused("too many arguments");
  const char* argument = argv[1];
  if (Is(argument, "--")) return Run();
  if (IsHelp(argument)) return PrintHelp();
  if (Is(argument, "--version")) return PrintVersion();
  return Misused("unrecognized argument " + Shown(argument, std::strlen(argument)));
}

}  // namespace

int main(int argc, char** argv) { return argc > 1 ? RunCommandLine(argc, argv) : Run(); }
