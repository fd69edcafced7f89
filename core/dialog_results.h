// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// What the option dialogs hand back to the run.
#ifndef TARNWICK_CORE_DIALOG_RESULTS_H_
#define TARNWICK_CORE_DIALOG_RESULTS_H_

#include <string>

namespace tarnwick {

// The two results the option dialogs hand back to the run. An empty
// find_what (or, for find and replace, an empty replace_with) skips the file.
struct DialogResults {
  std::u16string find_what;
  std::u16string replace_with;
};

}  // namespace tarnwick

#endif  // TARNWICK_CORE_DIALOG_RESULTS_H_
