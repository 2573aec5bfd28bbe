#include "organiser/store/database.h"

#include <utility>

#include "organiser/store/document_kinds.h"
#include "organiser/store/markup.h"
#include "organiser/store/text_file_writer.h"
#include "organiser/store/text_scan.h"
#include "organiser/store/utf16_bytes.h"

namespace ondrel {
namespace {

constexpr TextView kDatabaseOpen = u"<Database>";
constexpr TextView kDatabaseClose = u"</Database>";
constexpr TextView kDocumentOpen = u"<Document>";
constexpr TextView kDocumentClose = u"</Document>";
constexpr TextView kTypeOpen = u"<DocumentType>";
constexpr TextView kTypeClose = u"</DocumentType>";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// True when text between blocks holds nothing that a save would drop: only
// blanks and the database's own tags.
bool IsIgnorableGap(TextView gap) {
  std::size_t i = 0;
  while (i < gap.size()) {
    if (IsBlank(gap[i])) {
      ++i;
    } else if (gap.compare(i, kDatabaseOpen.size(), kDatabaseOpen) == 0) {
      i += kDatabaseOpen.size();
    } else if (gap.compare(i, kDatabaseClose.size(), kDatabaseClose) == 0) {
      i += kDatabaseClose.size();
    } else {
      return false;
    }
  }
  return true;
}

// The kind named by a block's DocumentType, read straight from the block.
std::unique_ptr<Document> ConstructForBlock(TextView block, const Clock& clock) {
  std::optional<TextView> type = FindRawValue(block, kTypeOpen, kTypeClose);
  if (!type) return nullptr;
  if (FindUnit(*type, u'&') == TextView::npos) return ConstructKind(*type, clock);
  return ConstructKind(Decode(*type), clock);
}

// Position of the next "<Document>" or "</Document>" at or after from.
std::size_t FindBlockTag(TextView all, std::size_t from) {
  for (;;) {
    const std::size_t at = FindTagStart(all, u'D', from);
    if (at == TextView::npos) return at;
    const TextView tag = all[at + 1] == u'/' ? kDocumentClose : kDocumentOpen;
    if (TextAt(all, at, tag)) return at;
    from = at + 1;
  }
}

bool IsClosingTagAt(TextView all, std::size_t at) {
  return at != TextView::npos && all[at + 1] == u'/';
}

Text DecimalText(unsigned number) {
  Text digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
    number /= 10;
  } while (number != 0);
  return digits;
}

// How many backup names ("x.bak", "x.1.bak" ...) are tried before a damaged
// file counts as one that cannot be backed up.
constexpr unsigned kBackupNames = 1000;

bool SameFile(const FileUnits& a, const FileUnits& b) {
  return a.units() == b.units() && a.hasOddByte() == b.hasOddByte() &&
         (!a.hasOddByte() || a.oddByte() == b.oddByte());
}

}  // namespace

Database::Database(FileSystem& files, const Clock& clock)
    : files_(files),
      clock_(clock),
      documents_(std::make_unique<PtrArray<DocumentHandle>>(Ownership::kOwns)) {}

Database::~Database() = default;

LoadResult Database::Load(const Text& path) {
  fileBehind_ = false;
  refusesSaves_ = false;
  loadedBytesToBackUp_.clear();
  backupPath_.clear();
  try {
    return LoadOrThrow(path);
  } catch (...) {
    // Part of the file is in memory and part is not: a save now would
    // write only that part over the whole. Nothing read is kept.
    documents_->Clear();
    loadedBytesToBackUp_.clear();
    refusesSaves_ = true;
    LoadResult result;
    result.status = LoadResult::Status::kCouldNotRead;
    try {
      result.reason = u"There is not enough memory to read it.";
    } catch (...) {
    }
    return result;
  }
}

LoadResult Database::LoadOrThrow(const Text& path) {
  path_ = path;
  documents_->Clear();
  LoadResult result;

  FileUnits file;
  ReadResult read = files_.ReadAllUnits(path_, file);
  if (read.status == ReadResult::Status::kNoFile) return result;
  if (read.status != ReadResult::Status::kRead) {
    refusesSaves_ = true;
    result.status = LoadResult::Status::kCouldNotRead;
    result.reason = std::move(read.reason);
    return result;
  }
  result.status = LoadResult::Status::kRead;

  TextView all = file.units();
  if (!all.empty() && all.front() == u'\uFEFF') all.remove_prefix(1);
  bool keepsEverything = !file.hasOddByte();

  // One scan finds every "<Document>" and "</Document>" in file order. A
  // "<Document>" met inside a block starts the next block, so a block that
  // lost its closing tag never swallows the ones after it.
  std::size_t position = 0;
  std::size_t tag = FindBlockTag(all, 0);
  for (;;) {
    // A closing tag outside any block is stray text between blocks.
    while (IsClosingTagAt(all, tag)) tag = FindBlockTag(all, tag + kDocumentClose.size());
    const std::size_t open = tag;
    const std::size_t gapEnd = open == TextView::npos ? all.size() : open;
    if (!IsIgnorableGap(all.substr(position, gapEnd - position))) keepsEverything = false;
    if (open == TextView::npos) break;

    tag = FindBlockTag(all, open + kDocumentOpen.size());
    const bool closed = IsClosingTagAt(all, tag);
    std::size_t end = 0;
    if (closed) {
      end = tag + kDocumentClose.size();
      tag = FindBlockTag(all, end);
    } else {
      end = tag == TextView::npos ? all.size() : tag;
      keepsEverything = false;
    }
    AppendBlock(all.substr(open, end - open), closed);
    position = end;
  }

  if (!keepsEverything) {
    BackUpDamagedFile(file);
    result.damaged = true;
    result.backupPath = backupPath_;
  }
  return result;
}

void Database::AppendBlock(TextView block, bool closed) {
  std::unique_ptr<Document> document = ConstructForBlock(block, clock_);
  // A block of no known kind stays as it is, so that saving keeps it.
  if (!document) document = std::make_unique<Document>(clock_);
  if (closed) {
    document->LoadFromText(block);
  } else {
    // Kept as far as it goes, and closed, so that the file written next is
    // whole again.
    Text closedBlock;
    closedBlock.reserve(block.size() + kDocumentClose.size());
    closedBlock.append(block);
    closedBlock.append(kDocumentClose);
    document->LoadFromText(closedBlock);
  }
  auto handle = std::make_unique<DocumentHandle>();
  handle->document = std::move(document);
  documents_->Append(handle.get());
  handle.release();
}

void Database::BackUpDamagedFile(const FileUnits& file) {
  for (unsigned n = 0; n < kBackupNames; ++n) {
    const Text candidate = n == 0 ? path_ + u".bak" : path_ + u"." + DecimalText(n) + u".bak";
    FileUnits existing;
    const ReadResult found = files_.ReadAllUnits(candidate, existing);
    if (found.status == ReadResult::Status::kNoFile) {
      backupPath_ = candidate;
      break;
    }
    // An earlier start already kept this very file: no second copy.
    if (found.read() && SameFile(existing, file)) {
      backupPath_ = candidate;
      return;
    }
  }
  loadedBytesToBackUp_ = LittleEndianBytes(file.units());
  if (file.hasOddByte()) loadedBytesToBackUp_.push_back(file.oddByte());
  // Failing here is not final: the first save tries again, and fails while
  // the copy cannot be made.
  WriteBackupIfNeeded();
}

bool Database::Save(const Document* document) {
  const bool needed = document == nullptr || document->IsDirty() || fileBehind_;
  if (!needed) return true;
  if (refusesSaves_) return false;

  bool written = false;
  try {
    // Every changed document is serialized before the file is opened, so
    // the writing itself only copies texts that are ready.
    SerializeStoredDocuments();
    written = WriteBackupIfNeeded() &&
              WriteFileAtomically(files_, path_, [this](WritableFile& file) {
                return WriteFileText(file);
              });
  } catch (...) {
    // Out of memory while building the texts: the file was not touched.
    written = false;
  }
  fileBehind_ = !written;
  if (written) {
    for (DocumentHandle* handle : *documents_) handle->document->MarkSaved();
  }
  return written;
}

bool Database::DeleteAndSave(Document* document) {
  if (document == nullptr) return false;
  const Document::RemovalUndo undo = document->MarkRemoved();
  if (Save(document)) return true;
  // The file still holds the document: a removal kept only in memory would
  // be written by whatever save succeeds next, long after the user was told
  // it failed. Undone, the record stays as the file has it.
  document->UndoRemoval(undo);
  return false;
}

bool Database::Revert(Document* document) {
  if (document == nullptr) return false;
  document->RevertToWritten();
  if (fileBehind_) {
    bool anyUnsaved = false;
    for (const DocumentHandle* handle : *documents_) {
      if (handle->document->IsDirty()) {
        anyUnsaved = true;
        break;
      }
    }
    // Every document is as the file holds it: nothing is left to catch up.
    fileBehind_ = anyUnsaved;
  }
  return !document->IsDeleted();
}

Document* Database::CreateDocument(TextView kindName) {
  std::unique_ptr<Document> document = ConstructKind(kindName, clock_);
  if (!document) return nullptr;
  document->InitNew();
  Document* created = document.get();
  auto handle = std::make_unique<DocumentHandle>();
  handle->document = std::move(document);
  documents_->Append(handle.get());
  handle.release();
  return created;
}

void Database::ListDocuments(PtrArray<Document>& result, const char16_t* kindName) const {
  result.Clear();
  for (const DocumentHandle* handle : *documents_) {
    Document* document = handle->document.get();
    if (kindName == nullptr || TextView(document->TypeName()) == TextView(kindName)) {
      result.Append(document);
    }
  }
}

std::uint32_t Database::DocumentCount() const { return documents_->count(); }

Document* Database::DocumentAt(std::uint32_t index) const {
  if (index >= documents_->count()) return nullptr;
  return (*documents_)[index]->document.get();
}

void Database::SerializeStoredDocuments() {
  for (DocumentHandle* handle : *documents_) {
    if (!handle->document->IsDeleted()) handle->document->Serialize();
  }
}

bool Database::WriteFileText(WritableFile& file) const {
  std::size_t totalUnits = kDatabaseOpen.size() + kDatabaseClose.size();
  for (const DocumentHandle* handle : *documents_) {
    if (!handle->document->IsDeleted()) totalUnits += handle->document->StoredText().size();
  }
  TextFileWriter writer(file, totalUnits);
  writer.Append(kDatabaseOpen);
  for (const DocumentHandle* handle : *documents_) {
    const Document& document = *handle->document;
    if (!document.IsDeleted()) writer.Append(document.StoredText());
  }
  writer.Append(kDatabaseClose);
  return writer.Finish();
}

bool Database::WriteBackupIfNeeded() {
  if (loadedBytesToBackUp_.empty()) return true;
  if (backupPath_.empty()) return false;  // every backup name is taken
  if (!WriteFileAtomically(files_, backupPath_, loadedBytesToBackUp_.data(),
                           loadedBytesToBackUp_.size())) {
    return false;
  }
  loadedBytesToBackUp_.clear();
  loadedBytesToBackUp_.shrink_to_fit();
  return true;
}

}  // namespace ondrel
