#include "files/input.h"

#include <memory>

namespace tepo {

void readToTheEnd(InputFile& file) {
  std::unique_ptr<char[]> block(new char[64 * 1024]);
  while (file.read(block.get(), 64 * 1024) > 0) {
  }
}

}  // namespace tepo
