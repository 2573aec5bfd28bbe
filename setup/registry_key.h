// Registry keys: their owner, and the reads and writes the setup programs
// make in them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

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
  static RegistryKey Open(HKEY parent, const wchar_t* path, REGSAM access) {
    LONG ignored = ERROR_SUCCESS;
    return Open(parent, path, access, ignored);
  }

  explicit operator bool() const { return static_cast<bool>(key_); }
  HKEY get() const { return key_.get(); }

  // A string value of at most maxUnits UTF-16 code units (its terminator
  // included), cut at its first terminator, with its type (REG_SZ or
  // REG_EXPAND_SZ; not expanded here). Nothing when the value is missing, of
  // another type or longer. The registry keeps every string in UTF-16, also
  // one an ANSI program wrote: it comes back with all its letters.
  struct StringValue {
    std::wstring text;
    bool expandable = false;  // REG_EXPAND_SZ: holds %NAME% references
  };
  std::optional<StringValue> ReadStringValue(const wchar_t* name, DWORD maxUnits) const {
    if (!key_) return std::nullopt;
    std::wstring data(maxUnits, L'\0');
    DWORD type = 0;
    DWORD size = maxUnits * sizeof(wchar_t);
    if (RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // The stored value need not end with a terminator, nor hold whole code
    // units: trust only the whole units of `size` bytes.
    data.resize(size / sizeof(wchar_t));
    const std::size_t end = data.find(L'\0');
    if (end != std::wstring::npos) data.resize(end);
    return StringValue{std::move(data), type == REG_EXPAND_SZ};
  }

  // The text of ReadStringValue, whatever its string type.
  std::optional<std::wstring> ReadString(const wchar_t* name, DWORD maxUnits) const {
    std::optional<StringValue> value = ReadStringValue(name, maxUnits);
    if (!value) return std::nullopt;
    return std::move(value->text);
  }

  // A value as stored, whatever its type, for putting it back unchanged.
  struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
  };
  // The value called name; nothing when it is missing. ERROR_SUCCESS in error
  // when the value was read or is missing, else the system's error code.
  std::optional<RawValue> ReadRawValue(const wchar_t* name, LONG& error) const {
    error = ERROR_INVALID_HANDLE;
    if (!key_) return std::nullopt;
    RawValue value;
    // The value may grow between the two calls: ask again until it fits.
    for (DWORD size = 0;;) {
      value.data.resize(size);
      error = RegQueryValueExW(key_.get(), name, nullptr, &value.type,
                               size == 0 ? nullptr : value.data.data(), &size);
      if (error == ERROR_FILE_NOT_FOUND) {
        error = ERROR_SUCCESS;
        return std::nullopt;
      }
      if (error == ERROR_MORE_DATA || (error == ERROR_SUCCESS && size > value.data.size())) {
        continue;
      }
      if (error != ERROR_SUCCESS) return std::nullopt;
      value.data.resize(size);
      return value;
    }
  }

  // Stores value under name exactly as given. Returns the system's error code.
  LONG WriteRawValue(const wchar_t* name, const RawValue& value) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    return RegSetValueExW(key_.get(), name, 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size()));
  }

  // Deletes the value called name; a missing value is no error.
  LONG DeleteValue(const wchar_t* name) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    const LONG error = RegDeleteValueW(key_.get(), name);
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
  }

  // Opens or creates parent\path as a persistent key; on failure an empty
  // owner and the system's error code in error. created tells, when given,
  // whether this call made the key.
  static RegistryKey Create(HKEY parent, const wchar_t* path, REGSAM access, LONG& error,
                            bool* created = nullptr) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    error = RegCreateKeyExW(parent, path, 0, nullptr, 0, access, nullptr, &key, &disposition);
    if (error != ERROR_SUCCESS) return {};
    if (created) *created = disposition == REG_CREATED_NEW_KEY;
    return RegistryKey(key);
  }

  // Opens parent\path with the given access; on failure an empty owner and
  // the system's error code in error (ERROR_FILE_NOT_FOUND: no such key).
  static RegistryKey Open(HKEY parent, const wchar_t* path, REGSAM access, LONG& error) {
    HKEY key = nullptr;
    error = RegOpenKeyExW(parent, path, 0, access, &key);
    if (error != ERROR_SUCCESS) return {};
    return RegistryKey(key);
  }

 private:
  UniqueHandle<RegistryKeyTraits> key_;
};

}  // namespace ondrel::setup
