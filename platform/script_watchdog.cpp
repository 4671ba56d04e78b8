#include "platform/script_watchdog.h"

#include <fcntl.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace varnelle::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(10);

class Watchdog {
 public:
  static Watchdog& instance() {
    static Watchdog watchdog;
    return watchdog;
  }

  std::uint64_t arm(std::function<void()> interrupt, const ScriptLimits& limits) {
    std::lock_guard lock(mutex_);
    std::uint64_t ticket = next_ticket_++;
    watches_.emplace(ticket, Watch{std::move(interrupt), Clock::now() + limits.time,
                                   limits.memory_growth, std::nullopt, false});
    if (idle_) wake_.notify_one();
    return ticket;
  }

  void disarm(std::uint64_t ticket) {
    std::lock_guard lock(mutex_);
    watches_.erase(ticket);
  }

 private:
  struct Watch {
    std::function<void()> interrupt;
    Clock::time_point deadline;
    std::size_t memory_growth;
    // Taken at the first check: a call that ends before it costs no read of the process's size.
    std::optional<std::size_t> resident_at_start;
    bool fired;
  };

  Watchdog() : thread_([this] { run(); }) {}

  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  void run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      if (watches_.empty()) {
        idle_ = true;
        wake_.wait(lock, [this] { return stopping_ || !watches_.empty(); });
        idle_ = false;
        continue;
      }
      lock.unlock();
      const std::size_t resident = resident_memory_bytes();
      lock.lock();
      check(resident, Clock::now());
      wake_.wait_for(lock, kPollInterval, [this] { return stopping_; });
    }
  }

  void check(std::size_t resident, Clock::time_point now) {
    for (auto& [ticket, watch] : watches_) {
      if (watch.fired) continue;
      if (!watch.resident_at_start) watch.resident_at_start = resident;
      const bool too_long = now >= watch.deadline;
      const bool too_big = resident > *watch.resident_at_start &&
                           resident - *watch.resident_at_start > watch.memory_growth;
      if (too_long || too_big) {
        watch.fired = true;
        watch.interrupt();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::map<std::uint64_t, Watch> watches_;
  std::uint64_t next_ticket_ = 1;
  bool idle_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last, so that it starts after everything it uses
};

}  // namespace

ScriptWatch::ScriptWatch(std::function<void()> interrupt, const ScriptLimits& limits)
    : ticket_(Watchdog::instance().arm(std::move(interrupt), limits)) {}

ScriptWatch::~ScriptWatch() { Watchdog::instance().disarm(ticket_); }

std::size_t resident_memory_bytes() {
  int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buffer[128];
  ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (n <= 0) return 0;
  buffer[n] = '\0';
  // "size resident shared ...", in pages.
  char* rest = nullptr;
  std::strtoull(buffer, &rest, 10);
  unsigned long long pages = std::strtoull(rest, nullptr, 10);
  return static_cast<std::size_t>(pages) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace varnelle::platform
