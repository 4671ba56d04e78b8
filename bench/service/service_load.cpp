// A bounded load run of varnelle-service: many concurrent clients, each driving the whole road
// (page, upload, decode) over HTTPS on loopback for a fixed time. The service runs in this
// process so that its store can be watched; memory is the resident size of the process.
// Exits non-zero on any failed request, a store over its cap, or memory that keeps growing.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_client.h"
#include "qr_fixture.h"
#include "service/service.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace varnelle::service;

struct LoadOptions {
  int clients = 32;
  int seconds = 30;
  int photo_every = 25;  // every so many roads of a client use the 12 MP photo; 0: never
  ServiceOptions service;
};

std::size_t resident_bytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      std::size_t kb = 0;
      status >> kb;
      return kb * 1024;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

bool parse(int argc, char** argv, LoadOptions& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    long value = std::atol(argv[i + 1]);
    if (name == "--clients") o.clients = static_cast<int>(value);
    else if (name == "--seconds") o.seconds = static_cast<int>(value);
    else if (name == "--photo-every") o.photo_every = static_cast<int>(value);
    else if (name == "--store-cap") o.service.store_cap = static_cast<std::size_t>(value);
    else if (name == "--threads") o.service.threads = static_cast<int>(value);
    else return false;
  }
  return argc % 2 == 1 && o.clients > 0 && o.clients <= 512 && o.seconds > 0 &&
         o.seconds <= 600 && o.service.store_cap >= o.service.max_upload;
}

double mib(std::size_t bytes) { return bytes / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  LoadOptions options;
  options.service.threads = 16;
  options.service.store_cap = 64 * 1024 * 1024;
  if (!parse(argc, argv, options)) {
    std::cerr << "usage: varnelle-service-load [--clients N] [--seconds S] [--photo-every N]"
                 " [--store-cap BYTES] [--threads N]\n";
    return 2;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "varnelle-load-XXXXXX");
  const std::filesystem::path state = mkdtemp(pattern.data());
  options.service.port = 0;
  options.service.state_dir = state;
  std::FILE* log = std::fopen("/dev/null", "w");
  Service service(options.service, log);
  std::string error;
  if (!service.start(error)) {
    std::cerr << "service did not start: " << error << "\n";
    return 1;
  }
  std::thread server([&] { service.run(); });

  const std::string text = "https://example.com/load?id=1";
  const std::vector<std::uint8_t> small = testing::qr_png(text);
  const std::vector<std::uint8_t> photo = testing::qr_photo_jpeg(text);
  const std::size_t rss_before = resident_bytes();

  std::atomic<bool> running{true};
  std::atomic<long> decodes{0}, failures{0};
  std::mutex mutex;
  std::vector<double> latencies_ms;
  std::string first_failure;

  std::vector<std::thread> clients;
  for (int c = 0; c < options.clients; ++c) {
    clients.emplace_back([&, c] {
      bench::BenchClient client(c % 2 ? "localhost" : "127.0.0.1", service.port(),
                                service.identity().ca_file);
      std::vector<double> mine;
      for (int road = 1; running; ++road) {
        bool big = options.photo_every > 0 && (road + c) % options.photo_every == 0;
        auto start = Clock::now();
        bool ok = client.decode(big ? photo : small);
        mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        (ok ? decodes : failures)++;
        if (!ok) {
          std::lock_guard lock(mutex);
          if (first_failure.empty()) first_failure = client.error();
        }
      }
      std::lock_guard lock(mutex);
      latencies_ms.insert(latencies_ms.end(), mine.begin(), mine.end());
    });
  }

  // Samples every 100 ms: resident size and store size, per third of the run.
  std::size_t rss_peak = 0, store_peak = 0;
  std::size_t third_peak[3] = {0, 0, 0};
  const auto begin = Clock::now();
  const auto duration = std::chrono::seconds(options.seconds);
  for (auto now = begin; now - begin < duration; now = Clock::now()) {
    std::size_t rss = resident_bytes();
    rss_peak = std::max(rss_peak, rss);
    store_peak = std::max(store_peak, service.store().size_bytes());
    int third = static_cast<int>(3 * (now - begin) / duration);
    third_peak[std::min(third, 2)] = std::max(third_peak[std::min(third, 2)], rss);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  running = false;
  for (std::thread& t : clients) t.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  service.stop();
  server.join();
  std::fclose(log);
  std::filesystem::remove_all(state);

  std::ranges::sort(latencies_ms);
  auto percentile = [&](double p) {
    return latencies_ms.empty() ? 0.0 : latencies_ms[std::min(
        latencies_ms.size() - 1, static_cast<std::size_t>(p * latencies_ms.size()))];
  };
  // Flat: the last third of the run peaks no higher than the first third, give or take.
  const bool flat = third_peak[2] <= third_peak[0] + third_peak[0] / 4 + (32u << 20);
  const bool store_ok = store_peak <= options.service.store_cap;

  std::printf("clients %d, service threads %d, %.1f s, photo every %d roads\n", options.clients,
              options.service.threads, seconds, options.photo_every);
  std::printf("decodes %ld (%.1f per second), failed requests %ld\n", decodes.load(),
              decodes / seconds, failures.load());
  std::printf("latency per road: p50 %.1f ms, p99 %.1f ms, max %.1f ms\n", percentile(0.5),
              percentile(0.99), latencies_ms.empty() ? 0.0 : latencies_ms.back());
  std::printf("resident memory: %.1f MiB before, peak %.1f MiB; peak by thirds %.1f / %.1f / %.1f MiB%s\n",
              mib(rss_before), mib(rss_peak), mib(third_peak[0]), mib(third_peak[1]),
              mib(third_peak[2]), flat ? " (flat)" : " (GROWING)");
  std::printf("store: peak %.2f MiB of a %.0f MiB cap%s\n", mib(store_peak),
              mib(options.service.store_cap), store_ok ? "" : " (OVER THE CAP)");
  if (!first_failure.empty()) std::printf("first failure: %s\n", first_failure.c_str());
  return failures == 0 && flat && store_ok ? 0 : 1;
}
