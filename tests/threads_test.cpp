// The parsed-numeral functions from four threads at once, each on pairs of
// its own seed and on numerals that all of them share, against the texts the
// same calls give in one thread. Run under ThreadSanitizer in CI, where any
// state the library kept between calls would show as a race as well as a
// wrong text.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ravur.h"

namespace {

using ravur::Numeral, ravur::Operation, ravur::NumeralStatus;

constexpr int kThreads = 4;
constexpr int kPairs = 200;
constexpr Operation kOperations[] = {Operation::kAdd, Operation::kSubtract, Operation::kMultiply,
                                     Operation::kDivide};

// A numeral of up to an accepted numeral's digits a side, most of them short.
std::string RandomNumeral(std::mt19937* rng) {
  std::uniform_int_distribution<int> pick(0, 99);
  const auto digits = [rng, &pick](const int most) {
    const int count = std::uniform_int_distribution<int>(0, pick(*rng) < 80 ? 20 : most)(*rng);
    std::string run;
    for (int i = 0; i < count; ++i) run += static_cast<char>('0' + pick(*rng) % 10);
    return run;
  };
  std::string text = pick(*rng) < 50 ? "-" : "";
  text += digits(ravur::kMaxNumeralDigits);
  if (pick(*rng) < 60) text += "." + digits(ravur::kMaxNumeralDigits);
  return text;
}

// The four texts of a pair, its left numeral parsed where its bytes lie (a
// token in a buffer, with the reader's room around it) and its right one
// from a copy.
void AppendTexts(const std::string& left, const Numeral& right, std::vector<std::string>* texts) {
  const std::string room(ravur::kFrontRoom, ' ');
  const std::string buffer = room + left + " " + room;
  Numeral parsed;
  size_t length = 0;
  ravur::ParseNumeralFront(&parsed, buffer.data() + room.size(), left.size() + 1, &length);
  for (const Operation operation : kOperations) {
    char text[ravur::kResultRoom];
    texts->emplace_back(text, ravur::WriteResult(text, &parsed, &right, operation));
  }
}

// What one thread computes: kPairs pairs of its seed's numerals, then each of
// them against every shared numeral.
std::vector<std::string> Compute(const unsigned seed, const std::vector<Numeral>& shared) {
  std::mt19937 rng(seed);
  std::vector<std::string> texts;
  for (int i = 0; i < kPairs; ++i) {
    const std::string left = RandomNumeral(&rng);
    const std::string right = RandomNumeral(&rng);
    Numeral parsed;
    EXPECT_EQ(ravur::ParseNumeral(&parsed, right.data(), right.size()), NumeralStatus::kAccepted) << right;
    AppendTexts(left, parsed, &texts);
    for (const Numeral& numeral : shared) AppendTexts(left, numeral, &texts);
  }
  return texts;
}

TEST(Threads, ParsedNumeralsGiveEachThreadTheOneThreadTexts) {
  std::mt19937 rng(2026);
  std::vector<Numeral> shared(3);
  for (Numeral& numeral : shared) {
    const std::string text = RandomNumeral(&rng);
    ASSERT_EQ(ravur::ParseNumeral(&numeral, text.data(), text.size()), NumeralStatus::kAccepted);
  }
  std::array<std::vector<std::string>, kThreads> want;
  for (int t = 0; t < kThreads; ++t) want[t] = Compute(static_cast<unsigned>(t), shared);

  std::array<std::vector<std::string>, kThreads> got;
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &shared, &got, &ready] {
      // All start together, so that their calls overlap.
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      got[t] = Compute(static_cast<unsigned>(t), shared);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    ASSERT_EQ(got[t].size(), want[t].size()) << "thread " << t;
    for (size_t i = 0; i < want[t].size(); ++i) ASSERT_EQ(got[t][i], want[t][i]) << "thread " << t << ", text " << i;
  }
}

}  // namespace
