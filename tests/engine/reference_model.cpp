// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/engine/reference_model.h"

#include "engine/text_codec.h"
#include "tests/support/temp_dir.h"

namespace tarnwick::testing {

std::u16string ReferenceDelete(std::u16string_view text, std::u16string_view set,
                               bool keep) {
  std::u16string out;
  for (char16_t c : text) {
    if ((set.find(c) != set.npos) == keep) out += c;
  }
  return out;
}

std::u16string ReferenceSqueeze(std::u16string_view text) {
  std::u16string out;
  for (char16_t c : text) {
    if (!(c == u' ' && !out.empty() && out.back() == u' ')) out += c;
  }
  return out;
}

// Splits into line ends (CR LF or LF) and single other units; keeps only the
// first line end of every run of them.
std::u16string ReferenceEmptyLines(std::u16string_view text) {
  std::u16string out;
  bool previous_was_line_end = false;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t end_length = 0;
    if (text[i] == u'\n') end_length = 1;
    if (text.substr(i, 2) == u"\r\n") end_length = 2;
    if (end_length == 0) {
      out += text[i++];
      previous_was_line_end = false;
      continue;
    }
    if (!previous_was_line_end) out += text.substr(i, end_length);
    previous_was_line_end = true;
    i += end_length;
  }
  return out;
}

std::u16string ReferenceReplace(std::u16string_view text, std::u16string_view find,
                                std::u16string_view replacement) {
  if (find.empty()) return std::u16string(text);
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.substr(i, find.size()) == find) {
      out += replacement;
      i += find.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::u16string ReferenceReadText(const std::string& path) {
  const std::string bytes = ReadAll(path);
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

}  // namespace tarnwick::testing
