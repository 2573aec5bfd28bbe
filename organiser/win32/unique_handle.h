#pragma once
// The one move-only owner of everything the programs must close or release:
// kernel objects, files, directory searches, GDI objects, device contexts,
// registry keys, COM interfaces, shell allocations. Each kind of handle
// describes itself in a small traits type kept beside it:
//
//   struct SomeTraits {
//     using Handle = ...;                  // what the system hands out
//     static Handle Invalid();             // the value that owns nothing
//     static void Close(Handle handle);    // gives one owned value back
//   };
//
// Close may also be a non-static member: traits can carry what closing needs
// besides the handle (a window's device context goes back to its window).
// They then travel with the handle when an owner is moved.
//
// This header includes no Win32 header, so its test also runs natively.

#include <utility>

namespace ondrel {

template <typename Traits>
class UniqueHandle : private Traits {  // a base, so that empty traits take no room
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle, Traits traits = Traits())
      : Traits(std::move(traits)), handle_(handle) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : Traits(std::move(other.traits())), handle_(other.Release()) {}
  // Closes what this owner held before it takes the other's handle.
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset(other.Release());
      traits() = std::move(other.traits());
    }
    return *this;
  }

  // Closes the handle held so far, then holds handle. Handing back the very
  // value held keeps it open: closing it would leave the owner holding a
  // closed handle.
  void Reset(Handle handle = Traits::Invalid()) noexcept {
    const Handle previous = std::exchange(handle_, handle);
    if (previous != Traits::Invalid() && previous != handle) traits().Close(previous);
  }

  // Gives the handle up without closing it; the owner then holds nothing.
  Handle Release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  // For a system call that writes a new handle through a pointer: closes
  // what is held and returns where the new handle goes.
  Handle* Receive() noexcept {
    Reset();
    return &handle_;
  }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

 private:
  Traits& traits() noexcept { return *this; }

  Handle handle_ = Traits::Invalid();
};

}  // namespace ondrel
