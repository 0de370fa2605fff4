// The colour texts web authors paste and copy: reading the longest text
// accepted, reading an oklch() colour that needs gamut mapping, and writing
// the shortest hsl() and oklch() that read back. Each checks its answer
// afterwards, so that a path that stopped early cannot pass for a fast one.
#include <benchmark/benchmark.h>

#include <string>

#include "colour/cssparse.h"
#include "colour/csswrite.h"

namespace {

// The reader takes at most 256 characters; this fills them with a whole
// declaration and its padding, every number at full length.
std::string LongestText() {
  std::string text =
      "background-color: color(display-p3 0.123456789012345678 0.234567890123456789 "
      "0.345678901234567890 / 1.00000000000000000000);";
  text.insert(0, 256 - text.size(), ' ');
  return text;
}

void ReadLongest(benchmark::State& state) {
  const std::string text = LongestText();
  colour::CssColour read;
  for (auto _ : state) {
    read = colour::ReadCssColour(text);
    benchmark::DoNotOptimize(read);
  }
  if (!read.word || read.mapped) state.SkipWithError("the longest text was not read");
}

void ReadMappedOklch(benchmark::State& state) {
  colour::CssColour read;
  for (auto _ : state) {
    read = colour::ReadCssColour("oklch(70% 0.4 140)");
    benchmark::DoNotOptimize(read);
  }
  if (!read.word || !read.mapped) state.SkipWithError("the colour was not mapped");
}

// Arg 0: a colour whose texts need few tries; 1: one whose oklch() needs the
// last digits nudged (a dark channel beside bright ones).
constexpr colour::ColourWord kWords[] = {0x00C08040, 0x0000EA0B};

template <std::string (*Write)(colour::ColourWord)>
void WriteShortest(benchmark::State& state) {
  const colour::ColourWord word = kWords[state.range(0)];
  std::string text;
  for (auto _ : state) {
    text = Write(word);
    benchmark::DoNotOptimize(text);
  }
  if (colour::ReadCssColour(text).word != word) state.SkipWithError("the text does not read back");
}

void WriteHsl(benchmark::State& state) {
  WriteShortest<&colour::CssHslText>(state);
}

void WriteOklch(benchmark::State& state) {
  WriteShortest<&colour::CssOklchText>(state);
}

}  // namespace

BENCHMARK(ReadLongest)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadMappedOklch)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteHsl)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(WriteOklch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
