#pragma once
// UTF-16 text as the store and the language table keep it: code units as
// char16_t, so this code builds and is tested on any platform. The Win32
// side crosses to wchar_t in one place (shell/wide_text.h).

#include <optional>
#include <string>
#include <string_view>

namespace ondrel {

using Text = std::u16string;
using TextView = std::u16string_view;

// A record field: no value (never set, or absent from the file) differs
// from an empty value (set to empty text) until it is written; on disk both
// are the same, since empty fields are left out.
using TextField = std::optional<Text>;

}  // namespace ondrel
