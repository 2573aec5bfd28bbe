// COM for the shortcuts: owners of interface pointers, and the thread's COM
// initialisation.
#pragma once

#include <objbase.h>

#include "organiser/win32/unique_handle.h"

namespace ondrel::installer {

template <typename Interface>
struct ComInterfaceTraits {
  using Handle = Interface*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle pointer) { pointer->Release(); }
};
template <typename Interface>
using ComPtr = UniqueHandle<ComInterfaceTraits<Interface>>;

// Where CoCreateInstance and QueryInterface write the new interface pointer.
template <typename Interface>
void** ReceiveInterface(ComPtr<Interface>& owner) {
  return reinterpret_cast<void**>(owner.Receive());
}

// COM initialised for the current thread for the guard's lifetime. Not a
// UniqueHandle: there is no handle, only the thread's state, and
// CoUninitialize must run on the thread that initialised, so the guard
// stays in its scope and cannot be moved. Unused COM servers are unloaded
// whether or not the initialisation succeeded.
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
