// Fuzz target for the language loader: any bytes load without harm, every
// key the file names can be looked up, and the section cache never changes
// an answer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "organiser/text/language_table.h"

namespace {

using ondrel::Text;
using ondrel::TextView;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "language fuzzer: %s\n", what);
  std::abort();
}

// The (section, key) pairs the file itself names: "[Section]" lines and
// "KeyEng=" entries, read independently of the table.
std::vector<std::pair<Text, Text>> NamedKeys(const std::vector<unsigned char>& bytes) {
  Text text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  std::vector<std::pair<Text, Text>> keys;
  Text section;
  std::size_t start = 0;
  while (start < text.size() && keys.size() < 256) {
    std::size_t end = text.find(u'\r', start);
    if (end == Text::npos) end = text.size();
    TextView line = TextView(text).substr(start, end - start);
    if (!line.empty() && line[0] == u'\n') line.remove_prefix(1);
    if (!line.empty() && line[0] == u'\xFEFF') line.remove_prefix(1);
    if (!line.empty() && line[0] == u'[') {
      std::size_t close = line.find(u']');
      section = Text(line.substr(1, close == TextView::npos ? TextView::npos : close - 1));
    } else {
      std::size_t equals = line.find(u"Eng=");
      if (equals != TextView::npos) keys.emplace_back(section, Text(line.substr(0, equals)));
    }
    start = end + 1;
  }
  keys.emplace_back(u"MainWindow", u"Title");
  keys.emplace_back(u"", u"");
  return keys;
}

// Reads the answer to its end, so a text without terminator shows up.
Text Answer(const char16_t* found) {
  if (found == nullptr) return u"(null)";
  return Text(found);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> bytes(data, data + size);
  const std::vector<std::pair<Text, Text>> keys = NamedKeys(bytes);

  ondrel::LanguageTable table;
  table.LoadFromBytes(bytes);
  std::vector<Text> forward;
  for (const auto& key : keys) forward.push_back(Answer(table.Lookup(key.first, key.second)));
  // The same questions in the opposite order, so the section cache is met
  // in other states: the answers must not change.
  for (std::size_t i = keys.size(); i-- > 0;) {
    Check(Answer(table.Lookup(keys[i].first, keys[i].second)) == forward[i],
          "a lookup answered differently the second time");
  }

  // A table loaded a second time forgets the first load.
  table.LoadFromBytes(bytes);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    Check(Answer(table.Lookup(keys[i].first, keys[i].second)) == forward[i],
          "a reloaded table answered differently");
  }
  return 0;
}
