#include "common/rom_file.h"

#include "common/operator_texts.h"

namespace trv {

std::string IoErrorText(IoError code) {
  std::string text;
  switch (code) {
    case kIoFileNotFound:
      text = texts::kFileNotFoundText;
      break;
    case kIoPathNotFound:
      text = texts::kInvalidFilenameText;
      break;
    case kIoTooManyOpenFiles:
      text = texts::kTooManyOpenFilesText;
      break;
    case kIoAccessDenied:
      text = texts::kFileAccessDeniedText;
      break;
    case kIoReadBeyondEnd:
      text = texts::kReadBeyondEndText;
      break;
    case kIoDiskFull:
      text = texts::kDiskFullText;
      break;
    case kIoInvalidNumericInput:
      text = texts::kInvalidNumericInputText;
      break;
    default:
      text = std::string(texts::kOtherIoErrorPrefix) + std::to_string(code);
      break;
  }
  // Sentences end in a full stop unless the text already ends in punctuation that sorts before it.
  if (!text.empty() && text.back() > '.') text += '.';
  return text;
}

}  // namespace trv
