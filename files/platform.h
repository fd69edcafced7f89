// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Platform rules in one place: the path separator, the path limit and the
// file attributes, so that another platform can be added beside this one.
#ifndef TARNWICK_FILES_PLATFORM_H_
#define TARNWICK_FILES_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

// The separator of built paths ("folder" + kSeparator + "name").
inline constexpr char kSeparator = '/';
inline constexpr char kSeparatorText[] = "/";

// The longest path the platform accepts, in bytes.
inline constexpr std::size_t kMaxPath = 4096;
// The longest name of one file in a folder, in bytes.
inline constexpr std::size_t kMaxName = 255;

// Attribute bits as the rest of the program reads them.
namespace attributes {
inline constexpr std::uint32_t kReadOnly = 1;      // owner write bit clear
inline constexpr std::uint32_t kHidden = 2;        // name begins with "."
inline constexpr std::uint32_t kSystem = 4;        // never set here
inline constexpr std::uint32_t kDirectory = 16;
inline constexpr std::uint32_t kArchive = 32;      // every regular file
inline constexpr std::uint32_t kReparsePoint = 1024;  // a symbolic link
}  // namespace attributes

// The attribute value of the path, or nothing when the path cannot be
// examined. Never throws.
std::optional<std::uint32_t> FileAttributes(const std::string& path) noexcept;

// True for the platform's root folder ("/"), also when written "//".
bool IsRootFolder(const std::string& path) noexcept;

}  // namespace tarnwick

#endif  // TARNWICK_FILES_PLATFORM_H_
