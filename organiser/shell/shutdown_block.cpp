#include "organiser/shell/shutdown_block.h"

#include "organiser/win32/wide_text.h"

namespace ondrel {
namespace {

// user32 stays loaded for the whole run (the program links it), so the
// function stays valid. Null where the system has no such function.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  const FARPROC found = GetProcAddress(user32, name);
  // Through the generic function pointer type, which any other may be cast
  // from and to.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

ShutdownBlock::ShutdownBlock()
    : create_(User32Function<ReasonCreate>("ShutdownBlockReasonCreate")),
      destroy_(User32Function<ReasonDestroy>("ShutdownBlockReasonDestroy")) {}

ShutdownBlock::~ShutdownBlock() { Lift(); }

void ShutdownBlock::Set(HWND window, const Text& reason) {
  if (window == nullptr) return;
  if (window_ != nullptr && window_ != window) Lift();
  window_ = window;
  if (create_ != nullptr) create_(window, AsWide(reason));
}

void ShutdownBlock::Lift() {
  if (window_ == nullptr) return;
  if (destroy_ != nullptr && IsWindow(window_)) destroy_(window_);
  window_ = nullptr;
}

}  // namespace ondrel
