// Every part of the file layer at once, while callers move to the part they use.
#pragma once

#include "files/file_ops.h"
#include "files/input.h"
#include "files/paths.h"
#include "files/save.h"
#include "files/version.h"
