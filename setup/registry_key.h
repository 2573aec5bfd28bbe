// Registry keys: their owner, and the reads and writes the setup programs
// make in them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "organiser/win32/unique_handle.h"

namespace ondrel::setup {

// A key from RegOpenKeyEx or RegCreateKeyEx, null when there is none.
struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle key) { RegCloseKey(key); }
};

// An open registry key, closed when the owner goes; moves, never copies.
class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY key) : key_(key) {}

  // Opens parent\path with the given access; an empty owner when it fails.
  static RegistryKey Open(HKEY parent, const char* path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path, 0, access, &key) != ERROR_SUCCESS) return {};
    return RegistryKey(key);
  }

  explicit operator bool() const { return static_cast<bool>(key_); }
  HKEY get() const { return key_.get(); }

  // A string value of at most maxBytes bytes, cut at its first terminator,
  // with its type (REG_SZ or REG_EXPAND_SZ; not expanded here). Nothing when the
  // value is missing, of another type or longer.
  struct StringValue {
    std::string text;
    bool expandable = false;  // REG_EXPAND_SZ: holds %NAME% references
  };
  std::optional<StringValue> ReadStringValue(const char* name, DWORD maxBytes) const {
    if (!key_) return std::nullopt;
    std::string data(maxBytes, '\0');
    DWORD type = 0;
    DWORD size = maxBytes;
    if (RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // The stored value need not end with a terminator: trust only `size` bytes.
    data.resize(size);
    const std::size_t end = data.find('\0');
    if (end != std::string::npos) data.resize(end);
    return StringValue{std::move(data), type == REG_EXPAND_SZ};
  }

  // The text of ReadStringValue, whatever its string type.
  std::optional<std::string> ReadString(const char* name, DWORD maxBytes) const {
    std::optional<StringValue> value = ReadStringValue(name, maxBytes);
    if (!value) return std::nullopt;
    return std::move(value->text);
  }

  // Stores a REG_SZ value with its terminator. Returns the system's error code,
  // ERROR_SUCCESS when it was stored.
  LONG WriteString(const char* name, const std::string& value) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    return RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
  }

  // Opens or creates parent\path as a persistent key; on failure an empty
  // owner and the system's error code in error.
  static RegistryKey Create(HKEY parent, const char* path, REGSAM access, LONG& error) {
    HKEY key = nullptr;
    error = RegCreateKeyExA(parent, path, 0, nullptr, 0, access, nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS) return {};
    return RegistryKey(key);
  }

 private:
  UniqueHandle<RegistryKeyTraits> key_;
};

}  // namespace ondrel::setup
