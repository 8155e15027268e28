// Which messages a search lists, and what the dialog reports and shows for them.
#pragma once

#include <cstdint>
#include <vector>

#include "messages/message_table.h"
#include "runtime/runtime.h"

namespace tepo {

// Whether searchText occurs in message: exact 16-bit code units, so case,
// width and kana all differ. An empty message contains nothing, not even the
// empty text; the empty text occurs in every other message.
bool occursIn(const Text& searchText, TextView message);

// The result of one search: row k of the list shows msgList(hitList[k]).
// Without a hit hitList is the single entry 0 and hitCount is 0.
struct SearchHits {
  std::vector<int16_t> hitList{0};
  int16_t hitCount = 0;
};

// Scans every entry of msgList in table order, the spare empty one at the end
// included (it never matches).
SearchHits findHits(const MessageTable& msgList, const Text& searchText);

// The report after a search: the count followed by "件 見つかりました。", or
// "見つかりませんでした。" for none.
Text hitReport(int16_t hitCount);

// What the detail box shows for a selected row: the message now standing at
// the row's recorded position. A position past the end of the table (recorded
// before a reload shrank it) or a row without a hit gives the empty text.
Text hitDetail(const SearchHits& hits, int row, const MessageTable& msgList);

}  // namespace tepo
