// Searching, replacing and splitting over 1 MB and 64 MB of mixed ASCII and double-byte text. The
// time per byte must stay flat from one size to the other; memmem over the same buffer is the
// yardstick for replace_bytes.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <limits>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "text/text.h"

namespace varnelle {
namespace {

constexpr char kNeedle[] = "needle";

// Lines of about 80 bytes: ASCII words, runs of double-byte characters (some with a trail byte
// in the ASCII range, 0x5C included), and the needle about once every 4 KB.
Text make_text(std::size_t size) {
  std::mt19937 engine(7);
  auto pick = [&engine](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(engine);
  };
  Text text;
  text.reserve(size + 128);
  std::size_t line_start = 0;
  while (text.size() < size) {
    const int kind = pick(0, 99);
    if (kind < 1) {
      text += kNeedle;
    } else if (kind < 55) {
      for (int n = pick(2, 8); n > 0; --n) text += static_cast<char>(pick('a', 'z'));
    } else {
      for (int n = pick(1, 4); n > 0; --n) {
        text += static_cast<char>(pick(0xB0, 0xF7));
        text += static_cast<char>(pick(0, 9) == 0 ? pick(0x40, 0x7E) : pick(0xA1, 0xFE));
      }
    }
    if (text.size() - line_start > 80) {
      text += "\r\n";
      line_start = text.size();
    } else {
      text += pick(0, 5) == 0 ? ',' : ' ';
    }
  }
  text.resize(size);
  // No lone lead byte at the end.
  if (static_cast<unsigned char>(text.back()) >= 0x80) text.back() = '.';
  return text;
}

constexpr std::size_t kFootprint = 64 << 20;

// Each size walks kFootprint bytes of distinct input, so that a 1 MB run reads from memory as the
// 64 MB run does, instead of from cache: the ratio of the two then shows how the time grows with
// the size.
template <class Buffer>
class Inputs {
 public:
  explicit Inputs(const Buffer& one)
      : copies_(std::max<std::size_t>(1, kFootprint / one.size()), one) {}
  const Buffer& next() {
    next_ = (next_ + 1) % copies_.size();
    return copies_[next_];
  }

 private:
  std::vector<Buffer> copies_;
  std::size_t next_ = 0;
};

Inputs<Text>& texts_of_size(std::size_t size) {
  static std::map<std::size_t, Inputs<Text>> texts;
  auto it = texts.find(size);
  if (it == texts.end()) it = texts.emplace(size, Inputs<Text>(make_text(size))).first;
  return it->second;
}

Inputs<Bytes>& bytes_of_size(std::size_t size) {
  static std::map<std::size_t, Inputs<Bytes>> bytes;
  auto it = bytes.find(size);
  if (it == bytes.end()) {
    it = bytes.emplace(size, Inputs<Bytes>(text_to_bytes(make_text(size)))).first;
  }
  return it->second;
}

void count_bytes(benchmark::State& state, std::size_t size) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_FindText(benchmark::State& state, bool ignore_case) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Inputs<Text>& texts = texts_of_size(size);
  int found = 0;
  for (auto _ : state) {
    const Text& text = texts.next();
    found = 0;
    for (int p = find_text(text, kNeedle, 1, ignore_case); p != -1;
         p = find_text(text, kNeedle, p + 1, ignore_case)) {
      ++found;
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["matches"] = found;
  count_bytes(state, size);
}

void BM_ReplaceText(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Inputs<Text>& texts = texts_of_size(size);
  for (auto _ : state) benchmark::DoNotOptimize(replace_text(texts.next(), kNeedle, "pin"));
  count_bytes(state, size);
}

void BM_SplitText(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Inputs<Text>& texts = texts_of_size(size);
  for (auto _ : state) benchmark::DoNotOptimize(split_text(texts.next(), "\r\n"));
  count_bytes(state, size);
}

void BM_ReplaceBytes(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Inputs<Bytes>& inputs = bytes_of_size(size);
  const Bytes needle = text_to_bytes(kNeedle);
  const Bytes replacement = text_to_bytes("pin");
  for (auto _ : state) {
    benchmark::DoNotOptimize(replace_bytes(inputs.next(), needle, replacement));
  }
  count_bytes(state, size);
}

// Counting the needle with memmem alone: what replace_bytes costs without building its result.
void BM_Memmem(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Inputs<Bytes>& inputs = bytes_of_size(size);
  const std::size_t needle_size = std::strlen(kNeedle);
  for (auto _ : state) {
    const Bytes& bytes = inputs.next();
    int found = 0;
    std::size_t offset = 0;
    while (const void* hit = memmem(bytes.data() + offset, size - offset, kNeedle, needle_size)) {
      ++found;
      offset = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - bytes.data()) +
               needle_size;
    }
    benchmark::DoNotOptimize(found);
  }
  count_bytes(state, size);
}

// Copying the input into a new array: what building any result of that size costs.
void BM_CopyBytes(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Inputs<Bytes>& inputs = bytes_of_size(size);
  for (auto _ : state) benchmark::DoNotOptimize(Bytes(inputs.next()));
  count_bytes(state, size);
}

// Double-byte characters whose needle occurs only on second bytes, overlapping: a search that
// restarted after every rejected occurrence would be quadratic here.
void BM_FindTextOnSecondBytes(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  Text text;
  text.reserve(size);
  while (text.size() < size) text += "\xC1\xB0";
  Text needle;
  for (int i = 0; i < 1000; ++i) needle += "\xB0\xC1";
  for (auto _ : state) benchmark::DoNotOptimize(find_text(text, needle));
  count_bytes(state, size);
}

constexpr std::int64_t kSmall = 1 << 20;
constexpr std::int64_t kLarge = kFootprint;

void both_sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_FindText, exact, false)->Apply(both_sizes);
BENCHMARK_CAPTURE(BM_FindText, ignoring_case, true)->Apply(both_sizes);
BENCHMARK(BM_ReplaceText)->Apply(both_sizes);
BENCHMARK(BM_SplitText)->Apply(both_sizes);
BENCHMARK(BM_ReplaceBytes)->Apply(both_sizes);
BENCHMARK(BM_Memmem)->Apply(both_sizes);
BENCHMARK(BM_CopyBytes)->Apply(both_sizes);
BENCHMARK(BM_FindTextOnSecondBytes)->Apply(both_sizes);

}  // namespace
}  // namespace varnelle

// Every result is a new buffer. Keeping freed memory in the heap lets a 64 MB result reuse the
// pages of the last one, as a 1 MB result does, instead of the kernel mapping and zeroing fresh
// ones each time: the figures then compare the operations, not the page faults.
int main(int argc, char** argv) {
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
