// Measures of a message for the balloon: the byte width of its widest line and
// the number of its CR LF pairs, both under the 16-bit rules.
#pragma once

#include "runtime/runtime.h"

namespace tepo {

// Width in ANSI bytes of the widest stretch between CR LF pairs.
int16_t measureWidth(const Text& text);

// Number of CR LF pairs; a lone CR or LF does not count.
int16_t countBreaks(const Text& text);

}  // namespace tepo
