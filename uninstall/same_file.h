// Whether two paths name one file, as the uninstaller must know before it
// deletes its own.
#pragma once

#include <string>

namespace ondrel::uninstall {

// True when both paths name the same existing file: each is made full and
// long (no 8.3 short names, no "." or ".."), then they are compared without
// regard to letter case, as the file system compares names. False when
// either cannot be resolved.
bool NamesSameFile(const std::wstring& first, const std::wstring& second);

}  // namespace ondrel::uninstall
