#pragma once
// A watchdog for script calls that cannot be trusted to end. While a call runs it holds a
// ScriptWatch; one shared thread checks every armed watch a hundred times a second and runs its
// interrupt action once when the call has run longer than its time limit or the process has grown
// by more than its memory bound since the call began. The action never runs after the watch is
// destroyed, so it cannot reach into the next call.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace varnelle::platform {

struct ScriptLimits {
  std::chrono::milliseconds time{10000};
  // Growth of the process's resident memory during one call.
  std::size_t memory_growth = std::size_t{256} << 20;
};

class ScriptWatch {
 public:
  // interrupt runs on the watchdog's thread; it must be safe to call from there.
  ScriptWatch(std::function<void()> interrupt, const ScriptLimits& limits);
  ~ScriptWatch();
  ScriptWatch(const ScriptWatch&) = delete;
  ScriptWatch& operator=(const ScriptWatch&) = delete;

 private:
  std::uint64_t ticket_;
};

// The process's resident memory in bytes; 0 when it cannot be read.
std::size_t resident_memory_bytes();

}  // namespace varnelle::platform
