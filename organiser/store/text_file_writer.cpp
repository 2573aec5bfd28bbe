#include "organiser/store/text_file_writer.h"

#include "organiser/store/utf16_bytes.h"

namespace ondrel {
namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

}  // namespace

TextFileWriter::TextFileWriter(WritableFile& file, std::size_t totalUnits)
    : file_(file),
      buffer_(totalUnits < kBufferBytes / sizeof(char16_t) ? totalUnits * sizeof(char16_t)
                                                           : kBufferBytes) {}

bool TextFileWriter::Append(TextView text) {
  if (failed_) return false;
  const std::size_t bytes = text.size() * sizeof(char16_t);
  if (used_ + bytes > buffer_.size() && !WriteBuffered()) return false;
  if (bytes > buffer_.size()) {
    // Larger than the buffer: written straight from the text.
    if (HostIsLittleEndian()) {
      failed_ = !file_.Write(text.data(), bytes);
    } else {
      std::vector<unsigned char> converted = LittleEndianBytes(text);
      failed_ = !file_.Write(converted.data(), converted.size());
    }
    return !failed_;
  }
  EncodeLittleEndian(text, buffer_.data() + used_);
  used_ += bytes;
  return true;
}

bool TextFileWriter::Finish() { return !failed_ && WriteBuffered(); }

bool TextFileWriter::WriteBuffered() {
  if (used_ > 0 && !file_.Write(buffer_.data(), used_)) failed_ = true;
  used_ = 0;
  return !failed_;
}

}  // namespace ondrel
