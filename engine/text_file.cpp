#include "engine/text_file.h"

#include "engine/edit_tally.h"
#include "engine/file_content.h"
#include "engine/text_codec.h"
#include "files/file_write.h"

namespace tarnwick {

std::u16string ReadTextFile(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  if (EditTally* tally = CurrentTally()) tally->bytes_before += bytes.size();
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
  const std::string bytes = EncodeUtf8(text);
  EditTally* const tally = CurrentTally();
  if (tally != nullptr) tally->bytes_after += bytes.size();
  if (tally == nullptr || !tally->dry_run) ReplaceFileContents(path, bytes);
}

}  // namespace tarnwick
