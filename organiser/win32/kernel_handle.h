#pragma once
// Owners of the kernel's handles and memory. Most calls answer null when they fail;
// CreateFile and FindFirstFile answer INVALID_HANDLE_VALUE instead, so
// their handles have owners of their own.

#include <windows.h>

#include "organiser/win32/unique_handle.h"

namespace ondrel {

// A mutex, process, thread or event: null when there is none.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// An open file from CreateFile: INVALID_HANDLE_VALUE when there is none.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

// A directory search from FindFirstFile, ended by FindClose.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

// Memory the system allocated for the caller with LocalAlloc, such as the
// text of FormatMessage with FORMAT_MESSAGE_ALLOCATE_BUFFER.
template <typename Element>
struct LocalMemoryTraits {
  using Handle = Element*;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle memory) { LocalFree(memory); }
};
template <typename Element>
using LocalMemory = UniqueHandle<LocalMemoryTraits<Element>>;

}  // namespace ondrel
