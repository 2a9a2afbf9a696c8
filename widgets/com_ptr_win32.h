// Small owners for shell resources: COM interface pointers, item-ID lists allocated by the shell's
// task allocator, and the per-thread COM initialisation. Each closes its resource on every path.
#pragma once

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
// clang-format on

#include <utility>

namespace widgets {

// Owns one reference to a COM interface.
template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  explicit TComPtr(T* owned) : p_(owned) {}
  TComPtr(const TComPtr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~TComPtr() { Reset(); }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // Address for an out-parameter; releases what was held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Owns an item-ID list allocated with the task allocator (CoTaskMemAlloc, SHAlloc, IL* helpers).
class TItemIdList {
 public:
  TItemIdList() = default;
  explicit TItemIdList(LPITEMIDLIST owned) : p_(owned) {}
  TItemIdList(const TItemIdList& other) : p_(other.p_ ? ILClone(other.p_) : nullptr) {}
  TItemIdList(TItemIdList&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  TItemIdList& operator=(TItemIdList other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~TItemIdList() { Reset(); }

  void Reset() {
    if (p_) CoTaskMemFree(std::exchange(p_, nullptr));
  }
  LPITEMIDLIST* Put() {
    Reset();
    return &p_;
  }
  LPITEMIDLIST Release() { return std::exchange(p_, nullptr); }
  LPITEMIDLIST Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  LPITEMIDLIST p_ = nullptr;
};

// CoInitialize paired with CoUninitialize for the lifetime of the object (one GUI thread).
class TComInit {
 public:
  TComInit() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~TComInit() {
    if (ok_) CoUninitialize();
  }
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

 private:
  bool ok_;
};

}  // namespace widgets
