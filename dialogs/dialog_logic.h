// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The option dialogs' plain rules: the "<tab>" marker, the line count that
// the find-and-replace dialog compares, the line ends of typed text, and the
// pointer rule.
#ifndef TARNWICK_DIALOGS_DIALOG_LOGIC_H_
#define TARNWICK_DIALOGS_DIALOG_LOGIC_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick {

// The five characters that stand for one TAB in the dialogs' boxes.
inline constexpr char16_t kTabMarker[] = u"<tab>";

// Every "<tab>" becomes one TAB: exact and case-sensitive, scanning left to
// right without overlap ("<<tab>>" gives "<", TAB, ">"; "<TAB>" stays).
std::u16string ConvertTabMarkers(std::u16string_view text);

// The number of lines of text split at every CR LF: the empty text has
// none, a text ending in CR LF has a last, empty line, and a lone CR or LF
// does not split.
std::size_t CountLines(std::u16string_view text);

// The text of a box as the dialogs hand it on: every line break the box
// holds (LF, or the paragraph and line separators U+2029 and U+2028 of the
// box's raw document text) becomes CR LF. Everything else is kept as typed.
std::u16string BoxTextWithCrLf(std::u16string_view raw);

// The pointer setting of a window: standard, the busy hourglass, or the
// custom hand pointer. The values are the ones the windows have always used.
enum class PointerSetting { kStandard = 0, kHourglass = 11, kCustom = 99 };

// Where the mouse moved: over a push button, or over the window's own
// surface (or a frame).
enum class PointerTarget { kPushButton, kSurface };

// The pointer rule: a move over a push button sets custom, a move over the
// surface sets standard, and neither changes the hourglass.
PointerSetting NextPointerSetting(PointerSetting current, PointerTarget target);

}  // namespace tarnwick

#endif  // TARNWICK_DIALOGS_DIALOG_LOGIC_H_
