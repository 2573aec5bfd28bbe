#pragma once
// UTF-16 paths as the POSIX file calls take them: UTF-8 bytes.

#include <string>

#include "organiser/store/text.h"

namespace ondrel {

// UTF-8 of a UTF-16 path; an unpaired surrogate becomes U+FFFD.
std::string Utf8Path(TextView path);

}  // namespace ondrel
