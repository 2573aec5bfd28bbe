#include "organiser/shell/program_folder.h"

#include <windows.h>

#include <vector>

#include "organiser/win32/wide_text.h"

namespace ondrel {

Text FolderOfPath(TextView path) {
  const std::size_t backslash = path.rfind(u'\\');
  if (backslash == TextView::npos) return Text();
  return Text(path.substr(0, backslash + 1));
}

Text ProgramFolder() {
  // Long-path names can exceed MAX_PATH: grow until the whole name fits
  // (a full buffer means it was cut short), up to the longest NT path.
  constexpr DWORD kLongestPath = 32768;
  for (DWORD size = MAX_PATH; size <= 2 * kLongestPath; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (length == 0) return Text();
    if (length < size) return FolderOfPath(ToText(buffer.data(), length));
  }
  return Text();
}

}  // namespace ondrel
