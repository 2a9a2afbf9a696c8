// The parts of the output file shared by both builds: the temporary file beside a target and the
// test settings.
#include "platform/output_file.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "platform/system_error.h"

namespace platform {
namespace {
std::atomic<std::size_t> writeLimit{NoWriteLimit};
std::atomic<void (*)()> writeHook{nullptr};
}  // namespace

bool IsTemporaryFileName(std::string_view name) {
  // "~HT" <hex> "-" <hex> ".tmp"
  constexpr std::string_view kStart = "~HT", kEnd = ".tmp";
  if (name.size() < kStart.size() + 3 + kEnd.size() || name.substr(0, kStart.size()) != kStart ||
      name.substr(name.size() - kEnd.size()) != kEnd)
    return false;
  const std::string_view middle = name.substr(kStart.size(), name.size() - 7);
  const std::size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == middle.size()) return false;
  for (std::size_t i = 0; i < middle.size(); ++i) {
    const char c = middle[i];
    if (i != dash && !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

bool TTemporaryFile::Create(const std::string& folder, unsigned long& error) {
  static std::atomic<unsigned> counter{0};
  folder_ = folder;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, "\\~HT%lX-%X.tmp", CurrentProcessId(), counter++);
    path_ = folder + name;
    switch (file_.CreateNew(path_)) {
      case TCreateResult::Created:
        created_ = true;
        return true;
      case TCreateResult::AlreadyExists:
        error = LastErrorCode();
        continue;
      case TCreateResult::Failed:
        error = LastErrorCode();
        return false;
    }
  }
  return false;
}

TTemporaryFile::~TTemporaryFile() {
  file_.Close();
  if (created_ && !replaced_) RemoveFile(path_);
}

bool TTemporaryFile::ReplaceTarget(const std::string& target) {
  replaced_ = ReplaceFileInOneStep(path_, target);
  if (replaced_) RemoveStaleTemporaryFiles(folder_);
  return replaced_;
}

bool ReplaceWithContent(const std::string& target, const std::string& content,
                        unsigned long& error) {
  const std::size_t cut = target.find_last_of("\\/");
  TTemporaryFile temporary;
  if (!temporary.Create(cut == std::string::npos ? "." : target.substr(0, cut), error))
    return false;
  TOutputFile& file = temporary.File();
  if (file.Write(content.data(), content.size()) && file.Flush() && file.Close() &&
      temporary.ReplaceTarget(target))
    return true;
  error = LastErrorCode();
  return false;
}

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
