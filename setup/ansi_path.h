// Path text in an ANSI code page. In a double-byte code page (932, 936, 949,
// 950) the second byte of a character can equal '\' or an ASCII letter, so
// separators and letters are found character by character, never byte by byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel::setup {

// An ANSI code page by number; 0 (CP_ACP) stands for the system's own, the one
// the ANSI file functions use.
struct CodePage {
  unsigned number = 0;
};
inline constexpr CodePage kSystemCodePage{};

// Longest path, in characters, that the ANSI file functions take (MAX_PATH less
// the terminator).
inline constexpr std::size_t kMaxPathLength = 259;

// False when the text ends in the first byte of a double-byte character.
bool IsWholeText(std::string_view text, CodePage codePage = kSystemCodePage);

// The parts between backslashes, in order; "a\\b\\" gives "a", "b" and "".
std::vector<std::string_view> SplitAtBackslashes(std::string_view path,
                                                 CodePage codePage = kSystemCodePage);

bool EndsWithBackslash(std::string_view path, CodePage codePage = kSystemCodePage);

// The folder with one trailing backslash: added when missing, never doubled.
std::string WithTrailingBackslash(std::string_view folder, CodePage codePage = kSystemCodePage);

// The folder without its trailing backslash; a drive root "C:\" keeps its own.
std::string WithoutTrailingBackslash(std::string_view folder,
                                     CodePage codePage = kSystemCodePage);

// folder + a backslash when missing + name, however long.
std::string JoinedPath(std::string_view folder, std::string_view name,
                       CodePage codePage = kSystemCodePage);

// JoinedPath, or nothing when the result would exceed maxLength or either part
// is empty: a path that does not fit is never cut into a different one.
std::optional<std::string> JoinPath(std::string_view folder, std::string_view name,
                                    std::size_t maxLength = kMaxPathLength,
                                    CodePage codePage = kSystemCodePage);

// The folder of a file path, cut after its last backslash (the backslash kept).
// Nothing when the path holds no backslash.
std::optional<std::string> FolderOf(std::string_view path, CodePage codePage = kSystemCodePage);

// The path with line breaks ("\n") put in so that no line is longer than
// width bytes: after a backslash where one is near, else within a name, but
// never inside a double-byte character. For message texts, where a long path
// would otherwise run off the screen.
std::string BrokenIntoLines(std::string_view path, std::size_t width,
                            CodePage codePage = kSystemCodePage);

// Equal texts when ASCII letters are compared without regard to case; the
// bytes of double-byte characters must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view first, std::string_view second,
                             CodePage codePage = kSystemCodePage);

// True when both name the same folder: ASCII letter case and a trailing
// backslash do not matter.
bool IsSameFolder(std::string_view first, std::string_view second,
                  CodePage codePage = kSystemCodePage);

}  // namespace ondrel::setup
