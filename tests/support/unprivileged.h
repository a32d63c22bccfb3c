// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>

// Runs body where file permissions bind: directly for an ordinary user, and
// for root (CI runs as root) in a forked child that has dropped to the user
// "nobody", so the body's checks of unreadable or read-only files are made
// there too. The body creates its own files; a failure inside the child fails
// the calling test.
void runUnprivileged(const std::function<void()> &body);
