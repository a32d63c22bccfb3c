// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/plain.h"
int f() { return 1; }
