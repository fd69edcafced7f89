// Reading a file whole into one text, and writing a text back as 8-bit text.
//
// Reading: a file that begins with a byte-order mark (FF FE little-endian,
// FE FF big-endian) is read as 16-bit text, the mark kept as U+FEFF. Every
// other file is decoded as UTF-8, each byte that is not part of a valid
// sequence becoming the code unit U+DC00 plus that byte, so that writing
// gives the byte back. A missing file and a zero-length file read as the
// empty text.
//
// Writing: UTF-8; a lone U+DC80..U+DCFF writes its byte, any other lone
// surrogate writes "?". No line end is appended. The old content survives any
// failure.
//
// Both throw FileError (batch/file_error.h) on failure.
#ifndef TARNWICK_ENGINE_TEXT_FILE_H_
#define TARNWICK_ENGINE_TEXT_FILE_H_

#include <string>
#include <string_view>

namespace tarnwick {

std::u16string ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, std::u16string_view text);

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_TEXT_FILE_H_
