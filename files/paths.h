// Paths as the system takes them, and where the program's own files are.
#pragma once

#include "runtime/runtime.h"

namespace tepo {

// The form of a path the system takes at any length: a long absolute path
// gets the "\\?\" prefix ("\\?\UNC\" for a network path); a short one, or one
// already prefixed, stays as it is.
Text extendedPath(const Text& path);

// The folder that holds the running executable followed by the given name;
// empty if the system cannot tell where the executable is.
Text besideExecutable(const Text& name);

}  // namespace tepo
