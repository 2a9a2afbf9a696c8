// The walk of tree_walk.h: an explicit stack of open listings, one level per folder entered.
#include "catalogue/tree_walk.h"

#include <utility>

#include "catalogue/checkfile.h"
#include "catalogue/path_gate.h"
#include "platform/output_file.h"

TTreeWalk::TTreeWalk(TListFolder listFolder, std::shared_ptr<const TPathGate> gate)
    : listFolder_(std::move(listFolder)), gate_(std::move(gate)) {
  if (!listFolder_) {
    listFolder_ = [](const std::string& folder, platform::TPassingOver passingOver) {
      return std::make_unique<platform::FolderEnumeration>(folder, std::move(passingOver));
    };
  }
}

void TTreeWalk::Walk(const std::string& top, const TSink& sink,
                     const std::atomic<bool>& cancelled) {
  sink_ = &sink;
  cancelled_ = &cancelled;
  top_ = top;
  folder_ = top;
  levels_.clear();
  if (!EnterFolder(false)) return;
  while (!levels_.empty()) {
    const auto depth = static_cast<unsigned>(levels_.size() - 1);
    folder_.resize(levels_.back().folderEnd);
    platform::FolderEntry entry;
    if (!cancelled.load(std::memory_order_relaxed) && levels_.back().listing->Next(entry)) {
      // An entered folder's entry ends when the walk comes back out of it.
      if (!WalkEntry(entry, depth)) Emit(TStepKind::EntryDone, depth);
      continue;
    }
    LeaveFolder();
    if (cancelled.load(std::memory_order_relaxed)) {
      levels_.clear();
      return;
    }
    if (depth > 0) {
      folder_.resize(levels_.back().folderEnd);
      Emit(TStepKind::EntryDone, depth - 1);
    }
  }
}

void TTreeWalk::Emit(TStepKind kind, unsigned depth, std::string_view path) {
  TStep step;
  step.kind = kind;
  step.depth = depth;
  step.path = path;
  (*sink_)(step);
}

bool TTreeWalk::EnterFolder(bool throughLink) {
  // A folder reached again through a link or junction while the walk is still inside it would
  // repeat without end; it contributes nothing, and its parent's folder step is all it shows (it
  // can be listed, so it does not claim to be unreadable). Only a link can lead back (folders
  // have no hard links), and asking a deep folder for its identity costs more than listing it,
  // so only links are asked.
  platform::FolderIdentity identity;
  if (throughLink && platform::GetFolderIdentity(folder_, identity) && IsWalkedInto(identity))
    return false;

  const std::atomic<bool>& cancelled = *cancelled_;
  std::unique_ptr<platform::TFolderListing> listing =
      listFolder_(folder_, [&cancelled] { return !cancelled.load(std::memory_order_relaxed); });
  if (listing->State() == platform::EnumerationState::Unreadable) {
    Emit(TStepKind::Unreadable, static_cast<unsigned>(levels_.size()), folder_);
    return false;
  }
  if (listing->State() == platform::EnumerationState::NoEntries) return false;
  levels_.push_back({std::move(listing), folder_.size(), identity, throughLink});
  return true;
}

bool TTreeWalk::IsWalkedInto(const platform::FolderIdentity& identity) {
  for (TLevel& level : levels_) {
    // A level not entered through a link is asked when the first link below it is met, once.
    if (!level.identityAsked) {
      platform::GetFolderIdentity(folder_.substr(0, level.folderEnd), level.identity);
      level.identityAsked = true;
    }
    if (level.identity == identity) return true;
  }
  return false;
}

void TTreeWalk::LeaveFolder() {
  TLevel& level = levels_.back();
  // A listing that broke off read the folder only in part.
  if (level.listing->State() == platform::EnumerationState::Unreadable &&
      !cancelled_->load(std::memory_order_relaxed))
    Emit(TStepKind::Unreadable, static_cast<unsigned>(levels_.size() - 1), folder_);
  levels_.pop_back();
}

bool TTreeWalk::IsPassedOver(const platform::FolderEntry& entry) const {
  const std::string& name = entry.Name;
  if (name == "." || name == ".." || name == CheckfileName) return true;
  // A temporary file of ours, left by a writer that was killed: never a file of the tree.
  if (!entry.IsFolder && platform::IsTemporaryFileName(name)) return true;
  // In the top folder the new checkfile replaces one of any letter case (Windows names ignore
  // it), so such a file is not listed either: it would be reported as changed ever after.
  return levels_.size() == 1 && IsCheckfileNameInItsFolder(name);
}

bool TTreeWalk::WalkEntry(const platform::FolderEntry& entry, unsigned depth) {
  const std::string& name = entry.Name;
  const std::size_t folderEnd = folder_.size();
  if (entry.Unrepresentable) {
    // The name shown with a stand-in would be a look-alike that might open another file.
    const std::string path = folder_ + "\\" + name;
    TStep step;
    step.kind = TStepKind::Unrepresentable;
    step.depth = depth;
    step.path = path;
    step.isFolder = entry.IsFolder;
    (*sink_)(step);
    return false;
  }
  if (IsPassedOver(entry)) return false;
  folder_ += '\\';
  folder_ += name;
  if (entry.IsLink && gate_ && !gate_->MayOpen(folder_)) {
    // Where it leads is asked before anything goes through it, listing and identity alike.
    Emit(TStepKind::Refused, depth, folder_);
  } else if (entry.IsFolder) {
    Emit(TStepKind::Folder, depth, folder_);
    if (EnterFolder(entry.IsLink)) return true;
  } else if (!FitsInCheckfile(std::string_view(folder_).substr(top_.size() + 1))) {
    // Stored cut, its entry would name another file, or none.
    Emit(TStepKind::TooLong, depth, folder_);
  } else {
    TStep step;
    step.kind = TStepKind::File;
    step.depth = depth;
    step.path = folder_;
    step.nameStart = folderEnd + 1;
    step.size = entry.Size;
    step.lastWrite = entry.LastWrite;
    (*sink_)(step);
  }
  folder_.resize(folderEnd);
  return false;
}
