// Messages the tests share, as the bytes of a message file.
#pragma once

#include <string>

namespace tepo::testing {

// Four one-letter messages, as after a plain load: the worked examples of deleting.
inline const std::string kABCD = "A\r\nB\r\nC\r\nD\r\n";

}  // namespace tepo::testing
