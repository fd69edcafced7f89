// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Every text the file layer and the batch run use to describe what happened
// to a file, in one place. One style: a sentence naming what could not be
// done to which file, then why: a FileError reads "<action> <path>:
// <reason>."; a failed copy reads "Cannot copy <source> to <destination>:
// <reason>." with a reason that says which of the two it concerns, and an
// entry edited in its own folder reads "Cannot edit <file> in place:
// <reason>.".
#ifndef TARNWICK_FILES_FILE_TEXTS_H_
#define TARNWICK_FILES_FILE_TEXTS_H_

#include <string>

namespace tarnwick::file_texts {

// Actions.
inline constexpr char kCannotRead[] = "Cannot read";
inline constexpr char kCannotWrite[] = "Cannot write";

// Reasons of a FileError (the system's own reasons come from strerror).
inline constexpr char kReadOnly[] = "the file is read-only";
inline constexpr char kNotRegular[] = "it is not a regular file";
inline constexpr char kZeroByte[] = "the path holds a zero byte";
inline constexpr char kFileHasGone[] =
    "the file has gone (it was removed before it could be edited)";
inline constexpr char kChangedMeanwhile[] =
    "the file changed while it was being edited; it was left as it is";
inline constexpr char kRemovedMeanwhile[] =
    "the file was removed while it was being edited";
inline constexpr char kAppearedMeanwhile[] =
    "a file appeared at this name while it was being written; it was left "
    "as it is";
inline std::string FolderMissing(const std::string& folder) {
  return "the folder " + folder + " does not exist";
}
inline std::string CannotKeepForUndo(const std::string& why) {
  return "its old content cannot be kept for undo: " + why;
}
inline std::string NoTemporary(const std::string& reason) {
  return "cannot create a temporary file beside it (" + reason + ")";
}
// The temporary file was refused for want of permission on its folder.
inline std::string FolderNotWritable(const std::string& folder,
                                     const std::string& reason) {
  return "the folder " + folder + " is not writable (" + reason + ")";
}
inline std::string AttributeNotKept(const std::string& name,
                                    const std::string& reason) {
  return "cannot keep its extended attribute " + name + " (" + reason + ")";
}

// Reasons of a copy that did not happen.
inline constexpr char kBlankPath[] = "a path is empty";
inline constexpr char kSourceMissing[] = "the file does not exist";
inline constexpr char kSourceIsFolder[] = "the source is a folder, not a file";
inline constexpr char kSourceNotRegular[] = "the source is not a regular file";
inline constexpr char kDestinationIsFolder[] = "the destination is a folder";
inline constexpr char kUnknownFailure[] = "unknown failure";
inline constexpr char kOutOfMemoryReason[] = "not enough memory";
inline std::string SourceUnreadable(const std::string& reason) {
  return "the source cannot be read (" + reason + ")";
}
// A reason the destination gave: the system's own stays as it is.
inline std::string DestinationReason(const std::string& reason) {
  return reason == kReadOnly ? "the destination is read-only" : reason;
}
inline std::string SameFileThroughLink(const std::string& source,
                                       const std::string& destination) {
  return destination + " is the same file as " + source +
         ", reached through a link from another folder; a file is rewritten "
         "only when the output folder is its own folder";
}
inline std::string DanglingLink(const std::string& destination,
                                const std::string& target) {
  return destination + " is a symbolic link to a missing file (" + target +
         "); nothing is written through it";
}
inline std::string InputInTheWay(const std::string& destination,
                                 const std::string& input) {
  const std::string named = input == destination ? "" : " (listed as " + input + ")";
  return destination + " is another input of this run" + named +
         ", which would be lost; nothing was written";
}
inline std::string ResultInTheWay(const std::string& destination,
                                  const std::string& input) {
  return destination + " already holds this run's result for its input " +
         input + ", which would be lost; nothing was written";
}

// Sentences.
inline std::string CannotCopy(const std::string& source,
                              const std::string& destination,
                              const std::string& reason) {
  if (source == destination) {
    return "Cannot edit " + source + " in place: " + reason + ".";
  }
  return "Cannot copy " + source + " to " + destination + ": " + reason + ".";
}
inline std::string OutOfMemory(const std::string& file) {
  return "Not enough memory to process " + file + ".";
}
// Two entries share an output name: the later one's result replaces the
// earlier one's.
inline std::string ResultReplaced(const std::string& output,
                                  const std::string& earlier,
                                  const std::string& later) {
  return output + " held the result for " + earlier +
         "; it now holds the result for " + later +
         " (entries with the same name: the last one wins)";
}

}  // namespace tarnwick::file_texts

#endif  // TARNWICK_FILES_FILE_TEXTS_H_
