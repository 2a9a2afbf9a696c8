// The inventory of folder_inventory.h. Entry names and listed names meet in one form: the path the
// file services open, below the checkfile's folder, with its letters folded as the file system
// compares names; where letter case tells two listed files apart, the exact name decides.
#include "catalogue/folder_inventory.h"

#include <algorithm>

#include "catalogue/checkfile.h"
#include "catalogue/path_gate.h"
#include "platform/path.h"

namespace {

// The programs, copied beside their checkfile so that a disc or folder checks itself: not files
// of the tree that the list forgot.
bool IsProgramBesideCheckfile(std::string_view relative) {
  if (relative.find('\\') != std::string_view::npos) return false;
  const std::string name = platform::FoldedName(relative);
  for (const char* program :
       {"hashtally.exe", "hashtally64.exe", "hashtally-console.exe", "hashtally64-console.exe"})
    if (name == platform::FoldedName(program)) return true;
  return false;
}

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
      shownBase_(CheckfileBaseFolder(checkfilePath)),
      top_(gate_->OwnFolder()) {
  if (!top_.empty()) top_.pop_back();
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
  const std::size_t start = gate_->NamesBelowOwnFolder(opened);
  if (start == std::string::npos || start >= opened.size()) return false;
  relative.assign(opened, start, std::string::npos);
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
  met_.assign(entries_.size(), 0);
}

void TFolderInventory::Count(std::uint32_t entry, unsigned reading, bool exact, std::uint64_t size,
                             TByteProgress& progress) {
  static_assert(TCheckfileEntries::kMostReadings <= 4, "a reading's two bits in a byte");
  std::uint8_t& met = met_[entry];
  const auto metBit = static_cast<std::uint8_t>(1u << reading);
  const auto exactBit = static_cast<std::uint8_t>(0x10u << reading);
  const std::uint64_t key = std::uint64_t{entry} * TCheckfileEntries::kMostReadings + reading;
  if (exact && (met & exactBit) == 0) {
    // Where another letter case counted first, this file's size stands in for that one's.
    std::uint64_t counted = 0;
    if ((met & metBit) != 0) {
      const auto folded = foldedSizes_.find(key);
      if (folded != foldedSizes_.end()) {
        counted = folded->second;
        foldedSizes_.erase(folded);
      }
    }
    progress.total.fetch_add(size - counted, std::memory_order_relaxed);  // modulo 2^64
    met |= metBit | exactBit;
  } else if (!exact && (met & metBit) == 0) {
    progress.total.fetch_add(size, std::memory_order_relaxed);
    foldedSizes_.emplace(key, size);
    met |= metBit;
  }
}

TFolderInventory::TClaim TFolderInventory::Claim(const std::string& key, std::string_view relative,
                                                 std::uint64_t size, TByteProgress& progress) {
  const std::uint64_t hash = HashOf(key);
  auto candidate = std::lower_bound(keys_.begin(), keys_.end(), std::make_pair(hash, 0u));
  TClaim exact, folded;
  std::string paths[TCheckfileEntries::kMostReadings];
  std::string candidateRelative;
  // The reading of the entry looked at last that names the file (-1: none), and whether exactly:
  // entries of the same name, many in some lists, need not be read again.
  std::uint32_t last = kNoEntry;
  int lastReading = -1;
  bool lastExact = false;
  for (; candidate != keys_.end() && candidate->first == hash; ++candidate) {
    const std::uint32_t entry = candidate->second;
    if (entry == last) continue;  // another reading of the same entry
    if (last == kNoEntry || !entries_.SameName(entry, last)) {
      lastReading = -1;
      const unsigned readings = entries_.Paths(entry, shownBase_, paths);
      for (unsigned r = 0; r < readings && lastReading < 0; ++r) {
        if (!RelativeOf(paths[r], candidateRelative) ||
            platform::FoldedName(candidateRelative) != key)
          continue;
        lastReading = static_cast<int>(r);
        lastExact = candidateRelative == relative;
      }
    }
    last = entry;
    if (lastReading < 0) continue;
    const auto reading = static_cast<std::uint8_t>(lastReading);
    if (lastExact && exact.entry == kNoEntry) exact = {entry, reading, true};
    if (!lastExact && folded.entry == kNoEntry && (met_[entry] & (0x10u << reading)) == 0)
      folded = {entry, reading, false};
    Count(entry, reading, lastExact, size, progress);
  }
  return exact.entry != kNoEntry ? exact : folded;
}

void TFolderInventory::AddFile(std::string_view relative, std::uint64_t size,
                               std::int64_t lastWrite, TByteProgress& progress) {
  const std::string key = platform::FoldedName(relative);
  if (key == ownKey_) return;  // the checkfile itself
  const TClaim claim = Claim(key, relative, size, progress);
  if (claim.entry == kNoEntry && IsProgramBesideCheckfile(relative)) return;
  if (claim.entry == kNoEntry) ++newFiles_;
  items_.push_back({false, claim.reading, claim.exact, claim.entry, size, lastWrite});
  if (!claim.exact) paths_.append(relative);
  pathEnds_.push_back(paths_.size());
}

void TFolderInventory::Make(TByteProgress& progress, const std::atomic<bool>& cancelled) {
  Index();
  if (!outside_) {
    std::string own;
    if (KeyOf(checkfilePath_, own)) ownKey_ = own;
    TTreeWalk(listFolder_, gate_)
        .Walk(
            top_,
            [&](const TTreeWalk::TStep& step) {
              const std::string_view relative =
                  step.path.size() > top_.size() ? step.path.substr(top_.size() + 1) : "";
              if (step.kind == TTreeWalk::TStepKind::File) {
                AddFile(relative, step.size, step.lastWrite, progress);
              } else if (step.kind == TTreeWalk::TStepKind::Unreadable) {
                unreadable_ = true;
                items_.push_back({true, 0, false, kNoEntry, 0, 0});
                paths_.append(relative);
                pathEnds_.push_back(paths_.size());
              }
            },
            cancelled);
    GiveUpClaimsOfAnotherCase(progress);
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

void TFolderInventory::GiveUpClaimsOfAnotherCase(TByteProgress& progress) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    TItem& item = items_[i];
    if (item.unreadable || item.exact || item.entry == kNoEntry ||
        (met_[item.entry] & (0x10u << item.reading)) == 0)
      continue;
    const std::string relative = RelativePath(i);
    const TClaim claim = Claim(platform::FoldedName(relative), relative, item.size, progress);
    item.entry = claim.entry;
    item.reading = claim.reading;
    newFiles_ += claim.entry == kNoEntry;
  }
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
