// Path text in UTF-16, as Windows hands paths over and takes them back. No
// letter is ever put through the ANSI code page, where a letter it lacks
// becomes "?" or a look-alike (even "\" or a quote mark). A character beyond
// the first 65,536 takes two code units, a surrogate pair, which is never
// split; a backslash is always one unit and never part of a pair.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The setup programs hand std::wstring to the Win32 wide functions as it is.
static_assert(sizeof(wchar_t) == 2, "Win32 wide text must be UTF-16 code units");

namespace ondrel::setup {

// Longest path, in UTF-16 code units, that the file functions take in its
// plain form (MAX_PATH less the terminator).
inline constexpr std::size_t kMaxPathLength = 259;

// False when the text holds half a surrogate pair: a text cut inside a
// character, which names no file.
bool IsWholeText(std::wstring_view text);

// The parts between backslashes, in order; "a\\b\\" gives "a", "b" and "".
std::vector<std::wstring_view> SplitAtBackslashes(std::wstring_view path);

bool EndsWithBackslash(std::wstring_view path);

// The folder with one trailing backslash: added when missing, never doubled.
std::wstring WithTrailingBackslash(std::wstring_view folder);

// The folder without its trailing backslash; a drive root "C:\" keeps its own.
std::wstring WithoutTrailingBackslash(std::wstring_view folder);

// folder + a backslash when missing + name, however long.
std::wstring JoinedPath(std::wstring_view folder, std::wstring_view name);

// JoinedPath, or nothing when the result would exceed maxLength or either part
// is empty: a path that does not fit is never cut into a different one.
std::optional<std::wstring> JoinPath(std::wstring_view folder, std::wstring_view name,
                                     std::size_t maxLength = kMaxPathLength);

// The folder of a file path, cut after its last backslash (the backslash kept).
// Nothing when the path holds no backslash.
std::optional<std::wstring> FolderOf(std::wstring_view path);

// The path with line breaks ("\n") put in so that no line is longer than
// width code units: after a backslash where one is near, else within a name,
// but never inside a surrogate pair. For message texts, where a long path
// would otherwise run off the screen.
std::wstring BrokenIntoLines(std::wstring_view path, std::size_t width);

// Equal texts as the file system compares names: letter case does not matter
// ("Ł" and "ł", "З" and "з"), every other difference does ("Ł" is not "L").
bool EqualsIgnoringCase(std::wstring_view first, std::wstring_view second);

// True when both name the same folder: letter case and a trailing backslash
// do not matter.
bool IsSameFolder(std::wstring_view first, std::wstring_view second);

}  // namespace ondrel::setup
