#include "bench/sample_database.h"

#include <random>
#include <string>

#include "organiser/platform/platform.h"
#include "organiser/store/clock.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "organiser/store/file_system.h"

namespace ondrel::bench {
namespace {

// Words of several scripts, and the characters a value can hold that the
// file format must protect.
const char16_t* const kWords[] = {
    u"meeting", u"garden", u"invoice", u"holiday", u"recipe", u"project", u"doctor",
    u"birthday", u"train", u"library", u"budget", u"insurance", u"school", u"kitchen",
    u"Müller", u"Größe", u"café", u"naïve", u"señor", u"Zürich", u"Ελλάδα", u"Москва",
    u"東京", u"München", u"crème", u"<b>", u"a&b", u"x<y", u"R&D", u"</Body>",
    u"2024", u"notes", u"call", u"back", u"tomorrow", u"password", u"office", u"plan"};
constexpr std::size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

class TextMaker {
 public:
  explicit TextMaker(std::uint32_t seed) : random_(seed) {}

  std::size_t Between(std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random_);
  }

  // Words separated by blanks, about `length` characters long.
  Text Words(std::size_t length, bool lineBreaks = false) {
    Text text;
    text.reserve(length + 16);
    while (text.size() < length) {
      if (!text.empty()) {
        text += (lineBreaks && Between(0, 9) == 0) ? u"\r\n" : u" ";
      }
      text += kWords[Between(0, kWordCount - 1)];
    }
    return text;
  }

  // Note bodies run from 200 to 2,000 characters, most of them near the short
  // end, as most notes are a few lines.
  std::size_t BodyLength() {
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
    return 200 + static_cast<std::size_t>(1800.0 * u * u * u * u * u * u * u * u);
  }

  Text Digits(std::size_t count) {
    Text text;
    for (std::size_t i = 0; i < count; ++i) text += static_cast<char16_t>(u'0' + Between(0, 9));
    return text;
  }

 private:
  std::mt19937 random_;
};

void FillNote(NoteDocument& note, TextMaker& maker) {
  note.SetField(note.subject(), maker.Words(maker.Between(20, 80)));
  note.SetField(note.keywords(), maker.Words(maker.Between(5, 30)));
  note.SetField(note.body(), maker.Words(maker.BodyLength(), true));
}

void FillPassword(PasswordDocument& entry, TextMaker& maker) {
  entry.SetField(entry.site(), u"https://" + maker.Words(12) + u".example");
  entry.SetField(entry.login(), maker.Words(8));
  entry.SetField(entry.password(), maker.Digits(4) + maker.Words(6) + u"!");
  if (maker.Between(0, 2) != 0) entry.SetField(entry.body(), maker.Words(maker.Between(10, 120)));
}

void FillPhone(PhoneDocument& entry, TextMaker& maker) {
  for (std::size_t i = 0; i < PhoneDocument::kFieldCount; ++i) {
    if (maker.Between(0, 9) < 3) continue;  // most fields filled
    Text value;
    switch (i) {
      case PhoneDocument::kHomePhone:
      case PhoneDocument::kMobile:
      case PhoneDocument::kBusinessPhone:
        value = u"+49 " + maker.Digits(3) + u" " + maker.Digits(7);
        break;
      case PhoneDocument::kIcq:
        value = maker.Digits(9);
        break;
      case PhoneDocument::kBirthDay:
        value = maker.Digits(2) + u"." + maker.Digits(2) + u"." + maker.Digits(4);
        break;
      case PhoneDocument::kBody:
        value = maker.Words(maker.Between(20, 200), true);
        break;
      default:
        value = maker.Words(maker.Between(4, 10));
    }
    entry.SetField(entry.Field(i), value);
  }
}

}  // namespace

SampleCounts SplitSampleCounts(std::size_t documents) {
  SampleCounts counts;
  counts.notes = documents / 2;
  counts.passwords = (documents - counts.notes) / 2;
  counts.phones = documents - counts.notes - counts.passwords;
  return counts;
}

bool WriteSampleDatabase(const Text& path, const SampleCounts& counts, std::uint32_t seed) {
  std::unique_ptr<FileSystem> files = NewPlatformFileSystem();
  FixedClock clock(LocalTime{2024, 3, 5, 9, 7});
  Database database(*files, clock);
  files->Remove(path);  // a fresh file, whatever stood there
  database.Load(path);  // remembers the path; the store starts empty
  TextMaker maker(seed);

  // Interleave the kinds as a user's years of use would.
  std::size_t notes = 0, passwords = 0, phones = 0;
  Document* last = nullptr;
  int day = 0;
  while (notes < counts.notes || passwords < counts.passwords || phones < counts.phones) {
    // Spread the modification dates over 1,000 days so date searches select.
    ++day;
    clock.Set(LocalTime{2020 + (day / 336) % 8, 1 + (day / 28) % 12, 1 + day % 28, 9, 7});
    const std::size_t pick = maker.Between(0, 3);
    if ((pick < 2 || (passwords >= counts.passwords && phones >= counts.phones)) &&
        notes < counts.notes) {
      auto* note = static_cast<NoteDocument*>(database.CreateDocument(NoteDocument::kTypeName));
      FillNote(*note, maker);
      last = note;
      ++notes;
    } else if ((pick == 2 || phones >= counts.phones) && passwords < counts.passwords) {
      auto* entry =
          static_cast<PasswordDocument*>(database.CreateDocument(PasswordDocument::kTypeName));
      FillPassword(*entry, maker);
      last = entry;
      ++passwords;
    } else if (phones < counts.phones) {
      auto* entry = static_cast<PhoneDocument*>(database.CreateDocument(PhoneDocument::kTypeName));
      FillPhone(*entry, maker);
      last = entry;
      ++phones;
    }
    // Serialize now, under this day's stamp; the one save below writes all.
    if (last != nullptr) last->GetText();
  }
  // One write of every document (an empty store writes an empty database).
  return database.Save(nullptr);
}

}  // namespace ondrel::bench
