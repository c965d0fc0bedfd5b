// Per-operation cost of the ravur library at 10, 50, 100 and 255 random digits
// on each side of the point. Each benchmark cycles through a fixed set of
// seeded operand pairs (random signs), so a figure is an average over digit
// patterns rather than one lucky or unlucky case.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ravur.h"

namespace {

using ravur::kMaxNumeralDigits, ravur::kMaxNumeralLength, ravur::DxNumber, ravur::DxOperation,
      ravur::CharArrToDxNumber, ravur::DxNumberToCharArr, ravur::DxAdd, ravur::DxSubtract, ravur::DxMultiply,
      ravur::DxDivide;

constexpr int kPairs = 64;

std::string RandomNumeral(std::mt19937_64& rng, const int digitsASide) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::string text = rng() & 1 ? "-" : "";
  // A nonzero first and last digit, so the numeral keeps its full width.
  for (int k = 0; k < digitsASide; ++k) text += static_cast<char>('0' + (k == 0 ? 1 + digit(rng) % 9 : digit(rng)));
  text += '.';
  for (int k = 0; k < digitsASide; ++k) {
    text += static_cast<char>('0' + (k == digitsASide - 1 ? 1 + digit(rng) % 9 : digit(rng)));
  }
  return text;
}

struct Operands {
  std::vector<std::string> texts;  // 2 x kPairs numerals
  std::vector<DxNumber> numbers;   // the same, parsed
};

const Operands& OperandsOf(const int digitsASide) {
  static std::vector<Operands> cache(kMaxNumeralDigits + 1);
  Operands& ops = cache[digitsASide];
  if (ops.texts.empty()) {
    std::mt19937_64 rng(20240601u + static_cast<uint64_t>(digitsASide));
    ops.numbers.resize(2 * kPairs);
    for (int i = 0; i < 2 * kPairs; ++i) {
      ops.texts.push_back(RandomNumeral(rng, digitsASide));
      CharArrToDxNumber(ops.texts.back().c_str(), &ops.numbers[i]);
    }
  }
  return ops;
}

void RunOperation(benchmark::State& state, const DxOperation operation) {
  const Operands& ops = OperandsOf(static_cast<int>(state.range(0)));
  DxNumber result;
  int i = 0;
  for (auto _ : state) {
    operation(&ops.numbers[2 * i], &ops.numbers[2 * i + 1], &result);
    benchmark::DoNotOptimize(result);
    benchmark::ClobberMemory();
    i = (i + 1) % kPairs;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DxAdd(benchmark::State& state) { RunOperation(state, DxAdd); }
void BM_DxSubtract(benchmark::State& state) { RunOperation(state, DxSubtract); }
void BM_DxMultiply(benchmark::State& state) { RunOperation(state, DxMultiply); }
void BM_DxDivide(benchmark::State& state) { RunOperation(state, DxDivide); }

void BM_CharArrToDxNumber(benchmark::State& state) {
  const Operands& ops = OperandsOf(static_cast<int>(state.range(0)));
  DxNumber number;
  int i = 0;
  for (auto _ : state) {
    CharArrToDxNumber(ops.texts[i].c_str(), &number);
    benchmark::DoNotOptimize(number);
    benchmark::ClobberMemory();
    i = (i + 1) % (2 * kPairs);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DxNumberToCharArr(benchmark::State& state) {
  const Operands& ops = OperandsOf(static_cast<int>(state.range(0)));
  std::vector<char> buffer(kMaxNumeralLength + 1);
  int i = 0;
  for (auto _ : state) {
    DxNumberToCharArr(buffer.data(), &ops.numbers[i]);
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
    i = (i + 1) % (2 * kPairs);
  }
  state.SetItemsProcessed(state.iterations());
}

#define CALC_SIZES ->Arg(10)->Arg(50)->Arg(100)->Arg(255)
BENCHMARK(BM_DxAdd) CALC_SIZES;
BENCHMARK(BM_DxSubtract) CALC_SIZES;
BENCHMARK(BM_DxMultiply) CALC_SIZES;
BENCHMARK(BM_DxDivide) CALC_SIZES;
BENCHMARK(BM_CharArrToDxNumber) CALC_SIZES;
BENCHMARK(BM_DxNumberToCharArr) CALC_SIZES;

}  // namespace

BENCHMARK_MAIN();
