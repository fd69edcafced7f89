#include "engine/text_file.h"

#include "engine/file_content.h"
#include "engine/text_codec.h"
#include "files/file_write.h"

namespace tarnwick {

std::u16string ReadTextFile(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  switch (DetectByteOrderMark(bytes)) {
    case ByteOrderMark::kUtf16LittleEndian:
      return DecodeUtf16(bytes, /*big_endian=*/false);
    case ByteOrderMark::kUtf16BigEndian:
      return DecodeUtf16(bytes, /*big_endian=*/true);
    case ByteOrderMark::kNone:
      break;
  }
  return DecodeUtf8(bytes);
}

void WriteTextFile(const std::string& path, std::u16string_view text) {
  ReplaceFileContents(path, EncodeUtf8(text));
}

}  // namespace tarnwick
