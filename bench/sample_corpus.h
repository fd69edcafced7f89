// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The text files the engine benchmark works on, generated the same way on
// every run: CR LF lines of words, numbers, runs of spaces, tabs, blank
// lines and UTF-8 accented letters.
#ifndef TARNWICK_BENCH_SAMPLE_CORPUS_H_
#define TARNWICK_BENCH_SAMPLE_CORPUS_H_

#include <cstddef>
#include <string>

namespace tarnwick::bench {

// Writes about `bytes` bytes (whole lines) of 8-bit text to path, in
// chunks, so that the caller never holds the whole file.
void WriteUtf8Corpus(const std::string& path, std::size_t bytes);

// The same kind of text as UTF-16LE with its byte-order mark, about `bytes`
// bytes long.
void WriteUtf16Corpus(const std::string& path, std::size_t bytes);

}  // namespace tarnwick::bench

#endif  // TARNWICK_BENCH_SAMPLE_CORPUS_H_
