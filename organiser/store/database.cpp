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
std::unique_ptr<Document> ConstructForBlock(TextView block, Database* database) {
  std::optional<TextView> type = FindRawValue(block, kTypeOpen, kTypeClose);
  if (!type) return nullptr;
  if (FindUnit(*type, u'&') == TextView::npos) return ConstructKind(*type, database);
  return ConstructKind(Decode(*type), database);
}

}  // namespace

Database::Database(FileSystem& files, const Clock& clock)
    : files_(files),
      clock_(clock),
      documents_(std::make_unique<PtrArray<DocumentHandle>>(Ownership::kOwns)) {}

Database::~Database() = default;

bool Database::Load(const Text& path) {
  path_ = path;
  documents_ = std::make_unique<PtrArray<DocumentHandle>>(Ownership::kOwns);
  fileBehind_ = false;
  loadedBytesToBackUp_.clear();

  FileUnits file;
  if (!files_.ReadAllUnits(path_, file)) return false;

  TextView all = file.units();
  const bool hasByteOrderMark = !all.empty() && all.front() == u'\uFEFF';
  if (hasByteOrderMark) all.remove_prefix(1);
  bool keepsEverything = !file.hasOddByte();

  std::size_t position = 0;
  while (position < all.size()) {
    std::size_t open = FindText(all, kDocumentOpen, position);
    std::size_t gapEnd = open == TextView::npos ? all.size() : open;
    if (!IsIgnorableGap(all.substr(position, gapEnd - position))) keepsEverything = false;
    if (open == TextView::npos) break;
    std::size_t close = FindText(all, kDocumentClose, open + kDocumentOpen.size());
    if (close == TextView::npos) {
      keepsEverything = false;  // a block cut off: it cannot be kept
      break;
    }
    std::size_t end = close + kDocumentClose.size();
    TextView block = all.substr(open, end - open);

    std::unique_ptr<Document> document = ConstructForBlock(block, this);
    // A block of no known kind stays as it is, so that saving keeps it.
    if (!document) document = std::make_unique<Document>(this);
    document->LoadFromText(block);
    auto handle = std::make_unique<DocumentHandle>();
    handle->document = std::move(document);
    documents_->Append(handle.get());
    handle.release();
    position = end;
  }

  if (!keepsEverything) {
    // The file's bytes exactly as they were read.
    if (hasByteOrderMark) loadedBytesToBackUp_ = {0xFF, 0xFE};
    std::vector<unsigned char> body = LittleEndianBytes(all);
    loadedBytesToBackUp_.insert(loadedBytesToBackUp_.end(), body.begin(), body.end());
    if (file.hasOddByte()) loadedBytesToBackUp_.push_back(file.oddByte());
  }
  return true;
}

bool Database::Save(Document* changedDocument) {
  bool needed = changedDocument == nullptr || changedDocument->IsDirty() || fileBehind_;
  if (!needed) return true;

  // Every changed document is serialized before the file is opened, so the
  // writing itself only copies texts that are ready.
  SerializeStoredDocuments();
  bool written = WriteBackupIfNeeded() &&
                 WriteFileAtomically(files_, path_, [this](WritableFile& file) {
                   return WriteFileText(file);
                 });
  fileBehind_ = !written;
  if (!written && changedDocument != nullptr) changedDocument->MarkDirty();
  return written;
}

Document* Database::CreateDocument(TextView kindName) {
  std::unique_ptr<Document> document = ConstructKind(kindName, this);
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
  if (!WriteFileAtomically(files_, path_ + u".bak", loadedBytesToBackUp_.data(),
                           loadedBytesToBackUp_.size())) {
    return false;
  }
  loadedBytesToBackUp_.clear();
  loadedBytesToBackUp_.shrink_to_fit();
  return true;
}

}  // namespace ondrel
