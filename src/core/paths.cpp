// Path joining and blank trimming shared by the command line and the file operations.
#include "paths.h"

namespace kl {

std::string trimTrailingBlanks(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return std::string(text.substr(0, end));
}

std::string trimLeadingBlanks(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && text[begin] == ' ')
        ++begin;
    return std::string(text.substr(begin));
}

std::string_view trimBlanks(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::string joinPath(std::string_view folder, std::string_view name, PathStyle style)
{
    std::string result(folder);
    if (folder.size() > style.rootLength)
        result += style.separator;
    result += name;
    return result;
}

std::string joinAlways(std::string_view folder, std::string_view name, PathStyle style)
{
    std::string result(folder);
    result += style.separator;
    result += name;
    return result;
}

PathParts splitPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos)
        return {".", std::string(path)};
    return {slash == 0 ? std::string("/") : std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

}  // namespace kl
