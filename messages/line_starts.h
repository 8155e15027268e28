// Where the lines of a message file's bytes lie, counted as the field rules
// count them, in whichever encoding the file is.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "encodings/file_encoding.h"

namespace tepo {

// The unit of the encoding at bytes[at]: a byte, or a UTF-16 unit in its
// byte order.
unsigned unitAt(const std::string& bytes, std::size_t at, FileEncoding encoding);

// Where the lines of a file's bytes begin: after its byte order mark, then
// after every line end (a CR LF pair, a lone CR, a lone LF, in the
// encoding's units), as the field rules count them (FieldLines).
// From is where to begin instead of after the mark.
std::vector<std::size_t> lineStarts(const std::string& bytes, FileEncoding encoding,
                                    std::size_t from = ~std::size_t(0));

}  // namespace tepo
