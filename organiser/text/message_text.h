#pragma once
// Messages that name a file: the language file's text holds "%1" where the
// name goes.

#include "organiser/store/text.h"

namespace ondrel {

// message with its first "%1" replaced by the file name at the end of
// path (what follows its last "\" or "/"); a message without "%1" gets the
// name after a blank, so that a translation that lost it still names the
// file.
Text MessageNamingFile(TextView message, TextView path);

}  // namespace ondrel
