// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/run_guard.h"

namespace tarnwick {
namespace {

bool run_under_way = false;

}  // namespace

RunGuard::RunGuard() noexcept : owns_(!run_under_way) {
  if (owns_) run_under_way = true;
}

RunGuard::~RunGuard() {
  if (owns_) run_under_way = false;
}

}  // namespace tarnwick
