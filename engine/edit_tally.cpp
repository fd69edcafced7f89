// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/edit_tally.h"

namespace tarnwick {
namespace {

thread_local EditTally* current_tally = nullptr;

}  // namespace

EditTally* CurrentTally() noexcept { return current_tally; }

TallyScope::TallyScope(EditTally& tally) noexcept : previous_(current_tally) {
  current_tally = &tally;
}

TallyScope::~TallyScope() { current_tally = previous_; }

}  // namespace tarnwick
