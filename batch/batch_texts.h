// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The texts the batch run shows: its messages and its progress captions.
// The window and the command line recognise the run's state by them.
#ifndef TARNWICK_BATCH_BATCH_TEXTS_H_
#define TARNWICK_BATCH_BATCH_TEXTS_H_

namespace tarnwick::batch_texts {

inline constexpr char kNoFiles[] = "No files added.";
inline constexpr char kNoFolder[] =
    "Folder does not exist. Please select another folder.";
inline constexpr char kDone[] = "Done.";
// The progress caption while no run is under way.
inline constexpr char kProgressIdle[] = "Progress Bar";
// Stands before the name of the file being processed.
inline constexpr char kProgressPrefix[] = "Processing: ";

}  // namespace tarnwick::batch_texts

#endif  // TARNWICK_BATCH_BATCH_TEXTS_H_
