// Whole HTTPS exchanges through web_request against a loopback server, one reply of 1 KB each:
// a fresh request object per exchange (as the decode workflow makes them), a borrowed object that
// keeps its connection, and a fresh object that parses the trust store again for its exchange.
// Each repetition is one exchange, so the reported median is the median exchange.

#include <benchmark/benchmark.h>

#include <memory>

#include "net/web_request.h"
#include "platform/com.h"
#include "platform/curl_http_request.h"
#include "test_servers/test_pki.h"
#include "test_servers/test_web_server.h"

namespace varnelle {
namespace {

const test::TestWebServer& server() {
  static const auto server = test::TestWebServer::https(test::TestPki::instance().trusted_server());
  return *server;
}

void exchange(benchmark::State& state, const WebRequestOptions& options) {
  const Text url = server().url("/bytes?size=1024");
  std::int32_t status = 0;
  WebRequestOptions with_status = options;
  with_status.status = &status;
  for (auto _ : state) {
    Bytes body = web_request(url, with_status);
    if (status != 200 || body.size() != 1024) state.SkipWithError("exchange failed");
    benchmark::DoNotOptimize(body);
  }
}

void BM_FreshObject(benchmark::State& state) { exchange(state, {}); }

void BM_BorrowedObject(benchmark::State& state) {
  // One object for every repetition, so its kept-alive connection is reused.
  static const platform::ComObject borrowed(std::make_shared<platform::CurlHttpRequest>());
  WebRequestOptions options;
  options.request_object = &borrowed;
  exchange(state, options);
}

void BM_FreshObjectTrustStorePerExchange(benchmark::State& state) {
  platform::ClassFactory shared = platform::register_class(platform::kHttpRequestProgId, [] {
    return std::make_shared<platform::CurlHttpRequest>(platform::TrustStoreLoading::per_exchange);
  });
  exchange(state, {});
  platform::register_class(platform::kHttpRequestProgId, shared);
}

constexpr int kExchanges = 200;
BENCHMARK(BM_FreshObject)
    ->Iterations(1)
    ->Repetitions(kExchanges)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BorrowedObject)
    ->Iterations(1)
    ->Repetitions(kExchanges)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FreshObjectTrustStorePerExchange)
    ->Iterations(1)
    ->Repetitions(kExchanges)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace varnelle

int main(int argc, char** argv) {
  varnelle::test::TestPki::instance();  // trusts the test CA before the first exchange
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
