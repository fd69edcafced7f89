// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The small routines that start-up uses: the application title, the default
// output folder, the skin test, the start-up visit to the maker's home page,
// and the random draw behind it. The load steps themselves are MainWindow::load.
#ifndef TARNWICK_APP_START_UP_H_
#define TARNWICK_APP_START_UP_H_

#include <random>
#include <string>
#include <string_view>

#include "app/window_services.h"

namespace tarnwick {

// The name shortened word by word: cut at the last blank, and again while
// the result is longer than 40 characters. A name without any blank is
// its own title; so is a remainder that has no blank left to cut at.
std::string ShortAppTitle(std::string_view name);

// The title of every message box that has no title of its own. Until
// start-up sets it, the shortened product name.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// The user's desktop folder with a trailing "/" when that folder exists;
// otherwise the home folder with a trailing "/".
std::string DefaultOutputFolder();

// The skin file beside the program.
inline constexpr char kSkinFile[] = "/x/o.cjs";
// True when program_folder + "/x/o.cjs" is a file a plain directory listing
// finds: a regular file, not a folder, not hidden.
bool SkinFileExists(const std::string& program_folder);

// The draw at which start-up opens the maker's home page.
inline constexpr int kHomePageDraw = 7;

// Draws 1 to 100 from a generator seeded with the seconds since midnight.
class TimeSeededRandom : public RandomSource {
 public:
  TimeSeededRandom();
  int Draw1To100() override;

 private:
  std::minstd_rand generator_;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_START_UP_H_
