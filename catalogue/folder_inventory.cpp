// The inventory of folder_inventory.h. Entry names and listed names meet in one form: the path the
// file services open, below the checkfile's folder, with its letters folded as the file system
// compares names.
#include "catalogue/folder_inventory.h"

#include <algorithm>

#include "catalogue/checkfile.h"
#include "catalogue/path_gate.h"
#include "platform/path.h"

namespace {

std::uint64_t HashOf(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, then mixed, for the low bits' sake
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  hash ^= hash >> 33;
  hash *= 0xff51afd7ed558ccdull;
  hash ^= hash >> 33;
  return hash;
}

// A name below a folder as the file services take it as written: names joined by single "\",
// none of them "." or "..", no "/", no drive.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name.find_first_of("/:") != std::string_view::npos) return false;
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(name.find('\\', start), name.size());
    const std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == name.size()) return true;
    start = end + 1;
  }
}

}  // namespace

TFolderInventory::TFolderInventory(std::shared_ptr<const TCheckfileEntries> entries,
                                   const std::string& checkfilePath,
                                   std::shared_ptr<const TPathGate> gate,
                                   TTreeWalk::TListFolder listFolder)
    : entriesOwned_(std::move(entries)),
      entries_(*entriesOwned_),
      gate_(std::move(gate)),
      listFolder_(std::move(listFolder)),
      checkfilePath_(checkfilePath),
      shownBase_(CheckfileBaseFolder(checkfilePath)) {
  top_ = platform::OpenedPath(shownBase_ + ".");
  if (!top_.empty() && top_.back() == '\\') top_.pop_back();
  topKey_ = platform::FoldedName(top_) + "\\";
}

bool TFolderInventory::RelativeOf(const std::string& path, std::string& relative) const {
  // Most names are plain: the folder's own path, then names joined by "\" that the file services
  // take as written. They need no normalising (which costs more than listing the file).
  if (path.compare(0, shownBase_.size(), shownBase_) == 0 &&
      IsPlainName(std::string_view(path).substr(shownBase_.size()))) {
    relative.assign(path, shownBase_.size(), std::string::npos);
    return true;
  }
  const std::string opened = platform::OpenedPath(path);
  const std::size_t folderEnd = top_.size() + 1;  // with its "\"
  if (opened.size() <= folderEnd ||
      platform::FoldedName(std::string_view(opened).substr(0, folderEnd)) != topKey_)
    return false;
  relative.assign(opened, folderEnd, std::string::npos);
  return true;
}

bool TFolderInventory::KeyOf(const std::string& path, std::string& key) const {
  if (!RelativeOf(path, key)) return false;
  key = platform::FoldedName(key);
  return true;
}

void TFolderInventory::Index() {
  std::string paths[TCheckfileEntries::kMostReadings];
  std::string key;
  keys_.reserve(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const unsigned readings = entries_.Paths(i, shownBase_, paths);
    for (unsigned reading = 0; reading < readings; ++reading) {
      if (!KeyOf(paths[reading], key)) {
        outside_ = true;
        std::vector<std::pair<std::uint64_t, std::uint32_t>>().swap(keys_);
        return;
      }
      keys_.emplace_back(HashOf(key), static_cast<std::uint32_t>(i));
    }
  }
  std::sort(keys_.begin(), keys_.end());
  named_.assign(entries_.size(), false);
}

std::uint32_t TFolderInventory::FindEntry(const std::string& key, std::string_view relative,
                                          std::uint64_t size, TByteProgress& progress,
                                          std::uint8_t& reading, bool& sameName) {
  const std::uint64_t hash = HashOf(key);
  auto candidate = std::lower_bound(keys_.begin(), keys_.end(), std::make_pair(hash, 0u));
  std::uint32_t first = kNoEntry;
  std::string paths[TCheckfileEntries::kMostReadings];
  std::string candidateKey;
  // The reading of the entry looked at last that names the file (-1: none): entries of the same
  // name, many in some lists, need not be read again.
  std::uint32_t last = kNoEntry;
  int lastReading = -1;
  for (; candidate != keys_.end() && candidate->first == hash; ++candidate) {
    const std::uint32_t entry = candidate->second;
    if (entry == last) continue;  // another reading of the same entry
    if (last == kNoEntry || !entries_.SameName(entry, last)) {
      lastReading = -1;
      const unsigned readings = entries_.Paths(entry, shownBase_, paths);
      for (unsigned r = 0; r < readings && lastReading < 0; ++r)
        if (KeyOf(paths[r], candidateKey) && candidateKey == key) lastReading = static_cast<int>(r);
    }
    last = entry;
    if (lastReading < 0) continue;
    // Every entry that names the file digests it, once: where names that differ in letter case
    // are two files, an entry still reads one of them.
    if (!named_[entry]) progress.total.fetch_add(size, std::memory_order_relaxed);
    named_[entry] = true;
    if (entry < first) {
      first = entry;
      reading = static_cast<std::uint8_t>(lastReading);
      std::string listed;
      sameName = RelativeOf(paths[reading], listed) && listed == relative;
    }
  }
  return first;
}

void TFolderInventory::AddFile(std::string_view relative, std::uint64_t size,
                               std::int64_t lastWrite, TByteProgress& progress) {
  const std::string key = platform::FoldedName(relative);
  if (key == ownKey_) return;  // the checkfile itself
  std::uint8_t reading = 0;
  bool sameName = false;
  const std::uint32_t entry = FindEntry(key, relative, size, progress, reading, sameName);
  // An empty file is never listed by a make: it can hold nothing to verify.
  if (entry == kNoEntry && size == 0) return;
  if (entry == kNoEntry) ++newFiles_;
  items_.push_back({false, reading, entry, size, lastWrite});
  if (!sameName) paths_.append(relative);
  pathEnds_.push_back(paths_.size());
}

void TFolderInventory::Make(TByteProgress& progress, const std::atomic<bool>& cancelled) {
  Index();
  if (!outside_) {
    std::string own;
    if (KeyOf(checkfilePath_, own)) ownKey_ = own;
    TTreeWalk(listFolder_)
        .Walk(
            top_,
            [&](const TTreeWalk::TStep& step) {
              const std::string_view relative =
                  step.path.size() > top_.size() ? step.path.substr(top_.size() + 1) : "";
              if (step.kind == TTreeWalk::TStepKind::File) {
                AddFile(relative, step.size, step.lastWrite, progress);
              } else if (step.kind == TTreeWalk::TStepKind::Unreadable) {
                unreadable_ = true;
                items_.push_back({true, 0, kNoEntry, 0, 0});
                paths_.append(relative);
                pathEnds_.push_back(paths_.size());
              }
            },
            cancelled);
  }
  // The entries the walk did not meet: named outside the folder, hidden, or gone. Their sizes are
  // asked one by one, ahead of the digests, and whether any reading names something at all.
  present_.assign(entries_.size(), false);
  std::string paths[TCheckfileEntries::kMostReadings];
  for (std::size_t i = 0; i < entries_.size() && !cancelled.load(); ++i) {
    if (Names(i)) {
      present_[i] = true;
      continue;
    }
    const unsigned readings = entries_.Paths(i, shownBase_, paths);
    for (unsigned r = 0; r < readings && !present_[i]; ++r) {
      std::uint64_t size = 0;
      if (!gate_->MayOpen(paths[r])) continue;
      present_[i] = platform::GetPathKind(paths[r], &size) != platform::TPathKind::Missing;
      progress.total.fetch_add(size, std::memory_order_relaxed);
    }
  }
  if (!cancelled.load()) progress.totalKnown = true;
}

std::string TFolderInventory::RelativePath(std::size_t i) const {
  const std::size_t start = i == 0 ? 0 : pathEnds_[i - 1];
  if (pathEnds_[i] > start || items_[i].unreadable)
    return paths_.substr(start, pathEnds_[i] - start);
  std::string path, relative;
  entries_.Path(items_[i].entry, shownBase_, items_[i].reading, path);
  RelativeOf(path, relative);
  return relative;
}
