#pragma once
// The reason the system shows while the organiser keeps the session from
// ending (edits that could not be saved). The functions that register it
// exist only on newer systems: they are looked up at run time, and where
// they are missing the session is still held, only without a text.

#include <windows.h>

#include "organiser/store/text.h"

namespace ondrel {

class ShutdownBlock {
 public:
  ShutdownBlock();
  // Lifts a block still set.
  ~ShutdownBlock();
  ShutdownBlock(const ShutdownBlock&) = delete;
  ShutdownBlock& operator=(const ShutdownBlock&) = delete;

  // Holds the session for window (not owned), giving reason; replaces an
  // earlier reason.
  void Set(HWND window, const Text& reason);
  // Gives the session free again; nothing when no block is set.
  void Lift();
  bool IsSet() const { return window_ != nullptr; }

 private:
  using ReasonCreate = BOOL(WINAPI*)(HWND, LPCWSTR);
  using ReasonDestroy = BOOL(WINAPI*)(HWND);

  ReasonCreate create_ = nullptr;  // null where the system has none
  ReasonDestroy destroy_ = nullptr;
  HWND window_ = nullptr;  // not owned
};

}  // namespace ondrel
