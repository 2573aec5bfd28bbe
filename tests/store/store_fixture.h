#pragma once
// A store over an in-memory file system and a fixed clock: the start of
// most store tests.

#include <gtest/gtest.h>

#include <memory>

#include "organiser/store/clock.h"
#include "organiser/store/database.h"
#include "organiser/store/document_kinds.h"
#include "tests/support/memory_file_system.h"

namespace ondrel::test {

inline LocalTime At(int day, int month, int year, int hour, int minute) {
  LocalTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  return time;
}

class StoreTest : public ::testing::Test {
 protected:
  const Text kPath = u"ondrel.db";

  StoreTest() : clock_(At(5, 3, 2024, 9, 7)) { database_ = NewDatabase(); }

  std::unique_ptr<Database> NewDatabase() {
    auto database = std::make_unique<Database>(files_, clock_);
    lastLoad_ = database->Load(kPath);
    return database;
  }

  // A fresh store loaded from what is on "disk" now.
  std::unique_ptr<Database> Reloaded() { return NewDatabase(); }

  NoteDocument* NewNote(TextView subject, TextView keywords, TextView body) {
    auto* note = static_cast<NoteDocument*>(database_->CreateDocument(NoteDocument::kTypeName));
    note->SetField(note->subject(), subject);
    note->SetField(note->keywords(), keywords);
    note->SetField(note->body(), body);
    return note;
  }

  Text FileText() const { return TextOfLittleEndianBytes(files_.Contents(kPath)); }

  void PutFile(TextView text) { files_.Put(kPath, LittleEndianBytes(text)); }

  MemoryFileSystem files_;
  FixedClock clock_;
  LoadResult lastLoad_;  // of the store made last
  std::unique_ptr<Database> database_;
};

inline FieldedDocument* Fielded(Document* document) {
  return dynamic_cast<FieldedDocument*>(document);
}

}  // namespace ondrel::test
