// Decode throughput of varnelle-service over HTTPS on loopback (two clients, as many as this
// machine has cores), the decode alone without HTTP, and zbarimg on the same pictures for
// comparison. Pictures: a small QR PNG and a 12-megapixel JPEG photo with a turned code in it.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <memory>
#include <thread>

#include "bench_client.h"
#include "qr_fixture.h"
#include "service/qr_decoder.h"
#include "service/service.h"

extern char** environ;

namespace varnelle::service::bench {
namespace {

constexpr const char* kText = "https://example.com/varnelle/benchmark?id=12345";

struct Pictures {
  std::vector<std::uint8_t> small_png = testing::qr_png(kText);
  std::vector<std::uint8_t> photo_jpeg = testing::qr_photo_jpeg(kText);
  std::filesystem::path folder;
  std::filesystem::path small_file, photo_file;

  Pictures() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnelle-bench-XXXXXX");
    folder = mkdtemp(pattern.data());
    small_file = folder / "small.png";
    photo_file = folder / "photo.jpg";
    write(small_file, small_png);
    write(photo_file, photo_jpeg);
  }
  ~Pictures() { std::filesystem::remove_all(folder); }

  static void write(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  const std::vector<std::uint8_t>& bytes(int which) const { return which ? photo_jpeg : small_png; }
  const std::filesystem::path& file(int which) const { return which ? photo_file : small_file; }
};

const Pictures& pictures() {
  static const Pictures instance;
  return instance;
}

// One service for the whole run, with its state in a folder of its own.
class BenchService {
 public:
  BenchService() {
    std::string pattern = (std::filesystem::temp_directory_path() / "varnelle-bench-XXXXXX");
    state_ = mkdtemp(pattern.data());
    ServiceOptions options;
    options.port = 0;
    options.state_dir = state_;
    log_ = std::fopen("/dev/null", "w");
    service_ = std::make_unique<Service>(options, log_);
    std::string error;
    if (!service_->start(error)) throw std::runtime_error(error);
    thread_ = std::thread([this] { service_->run(); });
  }
  ~BenchService() {
    service_->stop();
    thread_.join();
    std::fclose(log_);
    std::filesystem::remove_all(state_);
  }
  int port() const { return service_->port(); }
  const std::filesystem::path& ca_file() const { return service_->identity().ca_file; }

 private:
  std::filesystem::path state_;
  std::FILE* log_;
  std::unique_ptr<Service> service_;
  std::thread thread_;
};

const BenchService& service() {
  static const BenchService instance;
  return instance;
}

void BM_ServiceRoad(benchmark::State& state) {
  const auto& picture = pictures().bytes(static_cast<int>(state.range(0)));
  BenchClient client("127.0.0.1", service().port(), service().ca_file());
  for (auto _ : state) {
    if (!client.decode(picture)) {
      state.SkipWithError(client.error().c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(state.range(0) ? "12 MP JPEG photo" : "small QR PNG");
}
BENCHMARK(BM_ServiceRoad)->Arg(0)->Arg(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DecodeOnly(benchmark::State& state) {
  const auto& picture = pictures().bytes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QrDecodeResult result = decode_qr_codes(picture);
    if (result.texts.empty()) {
      state.SkipWithError("no code found");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(state.range(0) ? "12 MP JPEG photo" : "small QR PNG");
}
BENCHMARK(BM_DecodeOnly)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// One zbarimg process per decode, the way it is used from a shell.
void BM_Zbarimg(benchmark::State& state) {
  const std::string file = pictures().file(static_cast<int>(state.range(0))).string();
  if (access("/usr/bin/zbarimg", X_OK) != 0) {
    state.SkipWithError("zbarimg is not installed (zbar-tools)");
    return;
  }
  for (auto _ : state) {
    std::vector<char*> argv{const_cast<char*>("/usr/bin/zbarimg"), const_cast<char*>("-q"),
                            const_cast<char*>("--raw"), const_cast<char*>(file.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("zbarimg found no code");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(state.range(0) ? "12 MP JPEG photo" : "small QR PNG");
}
BENCHMARK(BM_Zbarimg)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace varnelle::service::bench

BENCHMARK_MAIN();
