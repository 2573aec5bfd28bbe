#include "self_delete_command.h"

#include <algorithm>

namespace ondrel::uninstall {
namespace {

// Characters that no quoting protects from the interpreter, or that make del
// take the name as a pattern. None of them can be the second byte of a
// double-byte character, so a byte test finds them in any code page.
bool IsUnsafeForInterpreter(std::string_view name) {
  return name.empty() || std::any_of(name.begin(), name.end(), [](char c) {
           return c == '%' || c == '"' || c == '*' || c == '?' ||
                  static_cast<unsigned char>(c) < 0x20;
         });
}

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

std::optional<std::string> SelfDeleteParameters(std::string_view shortFile,
                                                std::optional<std::string_view> shortFolder) {
  if (IsUnsafeForInterpreter(shortFile)) return std::nullopt;
  if (shortFolder && IsUnsafeForInterpreter(*shortFolder)) return std::nullopt;
  const std::string file = Quoted(shortFile);
  std::string parameters = "/d /v:off /c del " + file + " > nul";
  // The uninstaller may not have ended yet when the interpreter runs (process
  // priorities order nothing on some systems): while the file is still there,
  // wait a second and try again, for at most about half a minute.
  // Every block is bracketed: Wine's interpreter runs nothing of a loop body
  // of the form "do if exist x (...)".
  parameters += " & (for /l %i in (1,1,30) do (if exist " + file +
                " (ping -n 2 127.0.0.1 > nul & del " + file + " > nul)))";
  if (shortFolder) parameters += " & rmdir " + Quoted(*shortFolder);
  return parameters;
}

}  // namespace ondrel::uninstall
