#pragma once
// The three record pages, as the shell constructs them.

#include <memory>

#include "organiser/pages/page.h"

namespace ondrel {

class LanguageTable;

// Each page takes its texts from language (not owned; lives as long as the
// page). Construction creates no window; Create does.
std::unique_ptr<Page> MakeNotePage(const LanguageTable& language);
std::unique_ptr<Page> MakePasswordPage(const LanguageTable& language);
std::unique_ptr<Page> MakePhonePage(const LanguageTable& language);

}  // namespace ondrel
