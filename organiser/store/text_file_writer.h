#pragma once
// Writes UTF-16 text to a file as little-endian bytes in large pieces, so
// that a file of many documents is written without first gathering it into
// one buffer of its full size.

#include <cstddef>
#include <vector>

#include "organiser/store/file_system.h"
#include "organiser/store/text.h"

namespace ondrel {

class TextFileWriter {
 public:
  // file is not owned and must outlive the writer. totalUnits, the length
  // of all the text to come, keeps the buffer no larger than needed.
  TextFileWriter(WritableFile& file, std::size_t totalUnits);
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Appends text; false once any write has failed.
  bool Append(TextView text);
  // Writes what is still buffered; false when any write failed.
  bool Finish();

 private:
  bool WriteBuffered();

  WritableFile& file_;
  std::vector<unsigned char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace ondrel
