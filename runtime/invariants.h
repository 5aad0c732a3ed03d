// SPDX-License-Identifier: MIT
/*
 * Invariants whose failure would make the program write wrong data are checked in every build:
 * ALWAYS(X) is X, which the caller tests and refuses the call on; NEVER(X) is X, which must not
 * hold. In a build with assertions a failed one stops the program right there, where the tests
 * see it. Cheap contracts whose failure writes nothing wrong stay plain assertions.
 */
#pragma once

#include <cassert>

#ifdef NDEBUG
#define ALWAYS(X) (X)
#define NEVER(X) (X)
#else
#define ALWAYS(X) ((X) ? true : (assert(!"invariant: " #X), false))
#define NEVER(X) ((X) ? (assert(!"invariant broken: " #X), true) : false)
#endif
