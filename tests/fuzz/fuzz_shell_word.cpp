// Shell words for --print-command: whatever the bytes of an argument, sh reads the word back
// as exactly those bytes. The word is read here the way sh reads the only forms it uses: bare
// safe characters, and single-quoted runs joined by \'.
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "launch/launcher.h"

namespace {

bool safe(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
}

// What sh makes of the word; the word must hold nothing sh would expand or split at.
std::string readBack(std::string_view word)
{
    std::string out;
    std::size_t i = 0;
    while (i < word.size()) {
        if (word[i] == '\'') {
            const std::size_t end = word.find('\'', i + 1);
            fuzz::require(end != std::string_view::npos);
            out.append(word.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (word[i] == '\\') {
            fuzz::require(i + 1 < word.size() && word[i + 1] == '\'');
            out += '\'';
            i += 2;
        } else {
            fuzz::require(safe(word[i]));
            out += word[i++];
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string argument(reinterpret_cast<const char*>(data), size);
    const std::string word = kl::shellWord(argument);
    fuzz::require(!word.empty());  // an empty argument is still one word: ''
    fuzz::require(readBack(word) == argument);
    return 0;
}
