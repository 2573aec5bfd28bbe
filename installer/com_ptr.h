// Move-only owners for COM: an interface pointer and the thread's COM
// initialisation.
#pragma once

#include <objbase.h>

#include <utility>

namespace ondrel::installer {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Release();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { Release(); }

  explicit operator bool() const { return pointer_ != nullptr; }
  Interface* operator->() const { return pointer_; }
  Interface* get() const { return pointer_; }

  // Receives a new interface pointer; releases the one held before.
  void** Receive() {
    Release();
    return reinterpret_cast<void**>(&pointer_);
  }

 private:
  void Release() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

  Interface* pointer_ = nullptr;
};

// COM initialised for the current thread for the owner's lifetime.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    CoFreeUnusedLibraries();
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_;
};

}  // namespace ondrel::installer
