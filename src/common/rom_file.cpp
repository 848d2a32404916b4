#include "common/rom_file.h"

namespace trv {

std::string IoErrorText(IoError code) {
  std::string text;
  switch (code) {
    case kIoFileNotFound:
      text = "File not found";
      break;
    case kIoPathNotFound:
      text = "Invalid filename";
      break;
    case kIoTooManyOpenFiles:
      text = "Too many open files";
      break;
    case kIoAccessDenied:
      text = "File access denied";
      break;
    case kIoReadBeyondEnd:
      text = "Read beyond end of file";
      break;
    case kIoDiskFull:
      text = "Disk full";
      break;
    case kIoInvalidNumericInput:
      text = "Invalid numeric input";
      break;
    default:
      text = "I/O error " + std::to_string(code);
      break;
  }
  // Sentences end in a full stop unless the text already ends in punctuation that sorts before it.
  if (!text.empty() && text.back() > '.') text += '.';
  return text;
}

}  // namespace trv
