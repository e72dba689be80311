// UTF-8 as the strict rules have it: no overlong forms, no surrogates, nothing past U+10FFFF.
#pragma once

#include <cstddef>
#include <string_view>

namespace kl {

// The length of the valid UTF-8 sequence at the start of the text, or 0.
std::size_t utf8SequenceLength(std::string_view text);
bool isUtf8(std::string_view text);

}  // namespace kl
