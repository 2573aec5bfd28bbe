#include "organiser/text/message_text.h"

namespace ondrel {

Text MessageNamingFile(TextView message, TextView path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  const TextView name = slash == TextView::npos ? path : path.substr(slash + 1);
  Text text(message);
  const std::size_t placeholder = text.find(u"%1");
  if (placeholder != Text::npos) {
    text.replace(placeholder, 2, name);
  } else {
    text.append(u" ").append(name);
  }
  return text;
}

}  // namespace ondrel
