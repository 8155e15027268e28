// How the reader takes real text: every line held out of the model's
// learning (each tenth, as tools/reading_model.py keeps them out) of the
// corpus scripts/corpus.sh extracts, as files of one and of several lines.
#pragma once

#include <string>

namespace tepo::bench {

// Prints the share of files read as written; 1 when the corpus is missing.
int reading(const std::string& folder);

// Every byte of a file, for the benchmarks.
std::string readAll(const std::u16string& path);

}  // namespace tepo::bench
