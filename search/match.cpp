#include "search/match.h"

#include <string>

namespace tepo {

bool occursIn(const Text& searchText, TextView message) {
  if (message.empty()) return false;
  return message.find(searchText) != TextView::npos;
}

SearchHits findHits(const MessageTable& msgList, const Text& searchText) {
  SearchHits hits;
  // Looked for in the messages as the table keeps them, none decoded.
  const SoughtText sought(searchText);
  // The table is at most 32768 entries, so every position fits 16 bits.
  for (long i = 0; i <= msgList.count(); ++i) {
    if (!msgList.holds(i, sought)) continue;
    if (hits.hitCount == 0) hits.hitList.clear();
    hits.hitList.push_back(toInt16(i));
    hits.hitCount = add16(hits.hitCount, 1);
  }
  return hits;
}

Text hitReport(int16_t hitCount) {
  if (hitCount <= 0) return u"見つかりませんでした。";
  return decimal(hitCount) + u"件 見つかりました。";
}

Text hitDetail(const SearchHits& hits, int row, const MessageTable& msgList) {
  if (row < 0 || row >= hits.hitCount || static_cast<std::size_t>(row) >= hits.hitList.size()) return Text();
  const int16_t position = hits.hitList[static_cast<std::size_t>(row)];
  if (position < 0 || position > msgList.count()) return Text();
  return msgList.at(position);
}

}  // namespace tepo
