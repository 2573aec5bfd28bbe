#pragma once
// GoogleTest names of table cases, made from the words that describe them.

#include <cctype>
#include <string>

namespace ondrel::test {

// The letters and digits of description, in order: a name GoogleTest takes.
inline std::string TestNameOf(const char* description) {
  std::string name;
  for (const char* c = description; *c != '\0'; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
  }
  return name;
}

}  // namespace ondrel::test
