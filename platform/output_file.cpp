// The test settings shared by both builds of the output file.
#include "platform/output_file.h"

#include <algorithm>
#include <atomic>

namespace platform {
namespace {
std::atomic<std::size_t> writeLimit{NoWriteLimit};
std::atomic<void (*)()> writeHook{nullptr};
}  // namespace

void SetWriteLimitForTesting(std::size_t bytes) { writeLimit = bytes; }

void SetWriteHookForTesting(void (*hook)()) { writeHook = hook; }

namespace detail {
std::size_t ApplyTestSettings(std::size_t size) {
  if (void (*hook)() = writeHook.load()) hook();
  std::size_t limit = writeLimit.load();
  for (;;) {
    if (limit == NoWriteLimit) return size;
    const std::size_t allowed = std::min(size, limit);
    if (writeLimit.compare_exchange_weak(limit, limit - allowed)) return allowed;
  }
}
}  // namespace detail

}  // namespace platform
