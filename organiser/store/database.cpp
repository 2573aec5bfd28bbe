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

// FNV-1a over a file's bytes as read: tells a file that is not as the
// store writes it from another version of it (hand-edited files only).
std::uint64_t DigestOf(const FileUnits& file) {
  std::uint64_t hash = 14695981039346656037ull;
  auto add = [&hash](unsigned char byte) {
    hash ^= byte;
    hash *= 1099511628211ull;
  };
  for (const char16_t unit : file.units()) {
    add(static_cast<unsigned char>(unit & 0xFF));
    add(static_cast<unsigned char>(unit >> 8));
  }
  if (file.hasOddByte()) add(file.oddByte());
  return hash;
}

std::uint64_t ByteCount(const FileUnits& file) {
  return static_cast<std::uint64_t>(file.units().size()) * 2 + (file.hasOddByte() ? 1 : 0);
}

// The stamp of the file at path, when one can be taken.
std::optional<FileStamp> StampIfFound(FileSystem& files, const Text& path) {
  const StampResult look = files.StampOf(path);
  if (look.status != StampResult::Status::kFound) return std::nullopt;
  return look.stamp;
}

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

  // Looked at before it is read: a file changed between the two then
  // differs from its stamp, and is read again before it is replaced.
  known_ = KnownFile();
  const std::optional<FileStamp> stampBeforeReading = StampIfFound(files_, path_);
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
  const bool hasByteOrderMark = !all.empty() && all.front() == u'\uFEFF';
  if (hasByteOrderMark) all.remove_prefix(1);
  bool keepsEverything = !file.hasOddByte();
  // Exactly as the store writes it: "<Database>", the blocks with nothing
  // between them, "</Database>".
  bool canonical = keepsEverything && !hasByteOrderMark;
  std::size_t blocks = 0;

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
    const TextView gap = all.substr(position, gapEnd - position);
    if (!IsIgnorableGap(gap)) keepsEverything = false;
    if (open == TextView::npos) {
      if (gap != (blocks == 0 ? TextView(u"<Database></Database>") : kDatabaseClose)) {
        canonical = false;
      }
      break;
    }
    if (gap != (blocks == 0 ? kDatabaseOpen : TextView())) canonical = false;
    ++blocks;

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

  KnowLoadedFile(stampBeforeReading, file, canonical && keepsEverything);
  if (!keepsEverything) {
    BackUpDamagedFile(file);
    result.damaged = true;
    result.backupPath = backupPath_;
  }
  return result;
}

void Database::KnowLoadedFile(std::optional<FileStamp> stamp, const FileUnits& file,
                              bool canonical) {
  known_.exists = true;
  known_.stamp = stamp;
  known_.canonical = canonical;
  // Only a file the store would not write so needs its bytes summed up.
  known_.size = canonical ? 0 : ByteCount(file);
  known_.digest = canonical ? 0 : DigestOf(file);
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

Database::BackupName Database::FindBackupName(const FileUnits& file) {
  for (unsigned n = 0; n < kBackupNames; ++n) {
    const Text candidate = n == 0 ? path_ + u".bak" : path_ + u"." + DecimalText(n) + u".bak";
    FileUnits existing;
    const ReadResult found = files_.ReadAllUnits(candidate, existing);
    if (found.status == ReadResult::Status::kNoFile) return BackupName{candidate, false};
    // An earlier copy of this very file: no second copy.
    if (found.read() && SameFile(existing, file)) return BackupName{candidate, true};
  }
  return BackupName{};
}

void Database::BackUpDamagedFile(const FileUnits& file) {
  const BackupName name = FindBackupName(file);
  backupPath_ = name.path;
  // An earlier start already kept this very file.
  if (name.holdsFile) return;
  loadedBytesToBackUp_ = LittleEndianBytes(file.units());
  if (file.hasOddByte()) loadedBytesToBackUp_.push_back(file.oddByte());
  // Failing here is not final: the first save tries again, and fails while
  // the copy cannot be made.
  WriteBackupIfNeeded();
}

bool Database::HoldsKnownVersion(const FileUnits& current) const {
  if (!known_.exists) return false;
  if (!known_.canonical) {
    return ByteCount(current) == known_.size && DigestOf(current) == known_.digest;
  }
  if (current.hasOddByte()) return false;
  // Compared piece by piece with what the store wrote: "<Database>", the
  // file's text of every document it holds, "</Database>".
  TextView rest = current.units();
  auto takes = [&rest](TextView piece) {
    if (rest.size() < piece.size() || rest.compare(0, piece.size(), piece) != 0) return false;
    rest.remove_prefix(piece.size());
    return true;
  };
  if (!takes(kDatabaseOpen)) return false;
  for (const DocumentHandle* handle : *documents_) {
    const Document& document = *handle->document;
    if (document.InFile() && !takes(document.WrittenText())) return false;
  }
  return takes(kDatabaseClose) && rest.empty();
}

bool Database::KeepFileChangedElsewhere() {
  const StampResult look = files_.StampOf(path_);
  // Gone (or never there): written anew, nothing to keep.
  if (look.status == StampResult::Status::kNoFile) return true;
  if (look.status == StampResult::Status::kFound && known_.exists && known_.stamp &&
      *known_.stamp == look.stamp) {
    return true;
  }
  // The stamp differs (or could not be taken): the bytes decide. A file
  // written again with the same bytes is no change.
  FileUnits current;
  const ReadResult read = files_.ReadAllUnits(path_, current);
  if (read.status == ReadResult::Status::kNoFile) return true;
  // What it holds cannot be told: it is not replaced unseen.
  if (!read.read()) return false;
  if (HoldsKnownVersion(current)) return true;

  const BackupName name = FindBackupName(current);
  if (name.path.empty()) return false;  // every backup name is taken
  if (!name.holdsFile) {
    std::vector<unsigned char> bytes = LittleEndianBytes(current.units());
    if (current.hasOddByte()) bytes.push_back(current.oddByte());
    if (!WriteFileAtomically(files_, name.path, bytes.data(), bytes.size())) return false;
  }
  // That version is safe now: should this write fail, the next save does
  // not keep it a second time.
  KnowLoadedFile(look.status == StampResult::Status::kFound ? std::optional<FileStamp>(look.stamp)
                                                            : std::nullopt,
                 current, false);
  changedFileBackup_ = name.path;
  return true;
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
    std::optional<FileStamp> writtenStamp;
    written = WriteBackupIfNeeded() &&
              WriteFileAtomically(
                  files_, path_, [this](WritableFile& file) { return WriteFileText(file); },
                  [this, &writtenStamp](const Text& temporaryPath) {
                    // The renamed file keeps this stamp: its number, size and
                    // last write go with it.
                    writtenStamp = StampIfFound(files_, temporaryPath);
                    return KeepFileChangedElsewhere();
                  });
    if (written) {
      known_ = KnownFile();
      known_.exists = true;
      known_.stamp = writtenStamp;
      known_.canonical = true;
    }
  } catch (...) {
    // Out of memory while building the texts or reading the file another
    // program wrote: the file was not replaced.
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
  const bool wasBehind = fileBehind_;
  const Document::RemovalUndo undo = document->MarkRemoved();
  if (Save(document)) return true;
  // The file still holds the document: a removal kept only in memory would
  // be written by whatever save succeeds next, long after the user was told
  // it failed. Undone, the record stays as the file has it, and the failed
  // write left the file lacking nothing it lacked before.
  document->UndoRemoval(undo);
  fileBehind_ = wasBehind;
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
