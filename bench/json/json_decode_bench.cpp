// What one decode's JSON work costs, and where the time goes: making engines, loading the engine
// script into them, and evaluating. Also what a reply that allocates as fast as it can costs in
// peak memory before the control stops it.
#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

#include "json/engine_script.h"
#include "json/json_document.h"
#include "platform/qjs_script_control.h"

namespace varnelle {
namespace {

using platform::QjsScriptControl;
using platform::Variant;

constexpr char kUploadReply[] =
    R"({"status":1,"msg":"ok","data":{"path":"/upload/2024/05/17/6f1c2d3e4b5a.png",)"
    R"("name":"qr.png","size":48213,"width":290,"height":290}})";
constexpr char kDecodeReply[] =
    R"({"status":1,"info":{"data":["https://example.com/some/decoded/address?id=12345"],)"
    R"("points":[[12,12],[278,12],[12,278]],"time":0.031}})";

void BM_DecodeJsonWork(benchmark::State& state) {
  for (auto _ : state) {
    JsonDocument document;
    document.parse(kUploadReply);
    benchmark::DoNotOptimize(document.get("data.path"));
    document.clear();
    document.parse(kDecodeReply);
    benchmark::DoNotOptimize(document.get("info.data[0]"));
  }
}

// A new engine: the QJSEngine and its hardening, then its destruction.
void BM_EngineCreation(benchmark::State& state) {
  for (auto _ : state) {
    QjsScriptControl control;
    control.put_Language(Variant(u"JavaScript"));
    benchmark::DoNotOptimize(control.Eval(Variant(u"0")));
  }
}

void BM_EngineScriptLoad(benchmark::State& state) {
  const Variant script = Variant::from_text(kEngineScript);
  for (auto _ : state) {
    state.PauseTiming();
    auto control = std::make_unique<QjsScriptControl>();
    control->put_Language(Variant(u"JavaScript"));
    control->Eval(Variant(u"0"));
    state.ResumeTiming();
    benchmark::DoNotOptimize(control->AddCode(script));
    state.PauseTiming();
    control.reset();
    state.ResumeTiming();
  }
}

// The two reads of the road on a document that holds both replies.
void BM_DocumentReads(benchmark::State& state) {
  JsonDocument document;
  document.parse(concat_text(R"({"data":)", kUploadReply, R"(,"info":)", kDecodeReply, "}"));
  for (auto _ : state) {
    benchmark::DoNotOptimize(document.get("data.data.path"));
    benchmark::DoNotOptimize(document.get("info.info.data[0]"));
  }
}

BENCHMARK(BM_DecodeJsonWork)->Unit(benchmark::kMillisecond)->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EngineCreation)->Unit(benchmark::kMillisecond)->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EngineScriptLoad)->Unit(benchmark::kMillisecond)->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DocumentReads)->Unit(benchmark::kMicrosecond)->Repetitions(10)
    ->ReportAggregatesOnly(true);

long status_kib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}

// One hostile reply per run, parsed with the control the programs use (ten seconds, 256 MiB of
// growth). Reports the peak resident growth and how long the parse took.
void BM_HostileReplyPeakMemory(benchmark::State& state, const char* reply) {
  for (auto _ : state) {
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the peak from here
    const long before = status_kib("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    {
      JsonDocument document;
      benchmark::DoNotOptimize(document.parse(reply));
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.counters["peak_growth_MiB"] = (status_kib("VmHWM:") - before) / 1024.0;
    state.counters["seconds"] = took.count();
  }
}

BENCHMARK_CAPTURE(BM_HostileReplyPeakMemory, strings,
                  "(function () { var a = []; for (;;) a.push(new Array(1e5).join('x')); })()")
    ->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileReplyPeakMemory, objects,
                  "(function () { var a = []; for (;;) a.push({n: a.length}); })()")
    ->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileReplyPeakMemory, doubling,
                  "(function () { var s = 'x'; for (;;) { s = s + s; s.charCodeAt(0); } })()")
    ->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileReplyPeakMemory, big_steps,
                  "(function () { var a = []; for (;;) a.push('x'.repeat(1 << 26)); })()")
    ->Iterations(1)->Unit(benchmark::kMillisecond);
// One builtin call that allocates 512 MiB at once: nothing can interrupt it.
BENCHMARK_CAPTURE(BM_HostileReplyPeakMemory, single_call, "'x'.repeat(1 << 28).length")
    ->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnelle

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
