#include "self_delete_command.h"

#include <algorithm>

namespace ondrel::uninstall {
namespace {

// Characters that no quoting protects from the interpreter, or that make del
// take the name as a pattern.
bool IsUnsafeForInterpreter(std::wstring_view name) {
  return name.empty() || std::any_of(name.begin(), name.end(), [](wchar_t c) {
           return c == L'%' || c == L'"' || c == L'*' || c == L'?' || c < 0x20;
         });
}

std::wstring Quoted(std::wstring_view name) { return L"\"" + std::wstring(name) + L"\""; }

}  // namespace

std::optional<std::wstring> SelfDeleteParameters(std::wstring_view shortFile,
                                                 std::optional<std::wstring_view> shortFolder) {
  if (IsUnsafeForInterpreter(shortFile)) return std::nullopt;
  if (shortFolder && IsUnsafeForInterpreter(*shortFolder)) return std::nullopt;
  const std::wstring file = Quoted(shortFile);
  std::wstring parameters = L"/d /v:off /c del " + file + L" > nul";
  // The uninstaller may not have ended yet when the interpreter runs (process
  // priorities order nothing on some systems): while the file is still there,
  // wait a second and try again, for at most about half a minute.
  // Every block is bracketed: Wine's interpreter runs nothing of a loop body
  // of the form "do if exist x (...)".
  parameters += L" & (for /l %i in (1,1,30) do (if exist " + file +
                L" (ping -n 2 127.0.0.1 > nul & del " + file + L" > nul)))";
  if (shortFolder) parameters += L" & rmdir " + Quoted(*shortFolder);
  return parameters;
}

}  // namespace ondrel::uninstall
