// Text split into lines the way a string list takes a block of text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rondel {

// A line ends at CR LF, at a lone CR or at a lone LF; a break at the very end adds no empty
// line; empty lines between breaks stay. An empty text has no lines.
std::vector<std::string> SplitTextLines(std::string_view text);

}  // namespace rondel
