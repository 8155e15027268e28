// The editor table's slots as texts: its messages, then the blank rows of
// deletions and the spare slot.
#pragma once

#include <vector>

#include "editor/mente_table.h"

namespace tepo::testing {

inline std::vector<Text> slotTexts(const MenteTable& table) {
  std::vector<Text> texts;
  for (const MenteRow& row : table.rows().slots()) texts.emplace_back(row.text);
  return texts;
}

}  // namespace tepo::testing
