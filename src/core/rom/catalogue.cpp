// Reading the three catalogue forms, and matching an image against them.
#include "catalogue.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <dirent.h>

#include "../config/text_file.h"
#include "../file_kind.h"
#include "../paths.h"
#include "rom_header.h"

namespace kl {

namespace {

constexpr int kMaxDepth = 32;

// A number as the catalogues write it: decimal, or hexadecimal behind "0x" as MAME writes
// every size and offset.
std::optional<std::uint64_t> number(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? std::optional(value) : std::nullopt;
}

std::optional<std::uint32_t> crcValue(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return ec == std::errc() && end == text.data() + text.size() && text.size() == 8 ? std::optional(value) : std::nullopt;
}

// A ROM's fields as either form spells them; false when size or CRC-32 is missing or bad,
// unless an MD5 alone names the image.
struct RomFields {
    std::string_view size, crc, sha1, serial, md5;
};
bool addEntry(Catalogue& catalogue, std::string name, const RomFields& rom, std::string_view gameSerial)
{
    const auto size = number(rom.size);
    const auto crc = crcValue(rom.crc);
    const auto md5 = md5OfHex(rom.md5);
    if (name.empty() || ((!size || !crc) && (!md5 || !rom.size.empty() || !rom.crc.empty())))
        return false;
    if (catalogue.entries.size() == kMaxCatalogueEntries) {
        catalogue.problem = "it holds too many entries";
        return false;
    }
    catalogue.entries.push_back({std::move(name), size.value_or(0), crc.value_or(0), sha1OfHex(rom.sha1),
                                 std::string(rom.serial.empty() ? gameSerial : rom.serial), md5});
    return true;
}

// ---- Logiqx XML and MAME's software list, through expat ----

struct XmlReader {
    XML_Parser parser = nullptr;
    Catalogue* catalogue = nullptr;
    enum class Kind { Unknown, Datafile, SoftwareList } kind = Kind::Unknown;
    int depth = 0;
    std::vector<std::string> path;  // open element names
    std::string text;               // character data of the element being read
    std::string header, version;    // the datafile's header
    std::string game, description, serial;
    struct PendingRom {
        std::string size, crc, sha1, serial, md5;
    };
    std::vector<PendingRom> roms;

    void stop(std::string why)
    {
        if (catalogue->problem.empty())
            catalogue->problem = std::move(why);
        XML_StopParser(parser, XML_FALSE);
    }
};

std::string_view attribute(const XML_Char** attributes, std::string_view name)
{
    for (int i = 0; attributes[i]; i += 2)
        if (name == attributes[i])
            return attributes[i + 1];
    return {};
}

void XMLCALL startElement(void* data, const XML_Char* element, const XML_Char** attributes)
{
    auto& r = *static_cast<XmlReader*>(data);
    const std::string_view name(element);
    // Pushed first: expat may still report this element's end after the parser was stopped.
    ++r.depth;
    r.path.emplace_back(name);
    r.text.clear();
    if (r.depth > kMaxDepth || !r.catalogue->problem.empty())
        return r.stop("it is nested too deeply");
    if (r.depth == 1) {
        if (name == "datafile")
            r.kind = XmlReader::Kind::Datafile;
        else if (name == "softwarelist") {
            r.kind = XmlReader::Kind::SoftwareList;
            r.catalogue->name = attribute(attributes, "description");
            if (r.catalogue->name.empty())
                r.catalogue->name = attribute(attributes, "name");
        } else
            return r.stop("it is not a catalogue");
    }
    if (name == "game" || name == "machine" || name == "software") {
        r.game = attribute(attributes, "name");
        r.description.clear();
        r.serial.clear();
        r.roms.clear();
    } else if (name == "rom") {
        r.roms.push_back({std::string(attribute(attributes, "size")), std::string(attribute(attributes, "crc")),
                          std::string(attribute(attributes, "sha1")), std::string(attribute(attributes, "serial")),
                          std::string(attribute(attributes, "md5"))});
    } else if (name == "info" && attribute(attributes, "name") == "serial") {
        r.serial = attribute(attributes, "value");
    }
}

void XMLCALL endElement(void* data, const XML_Char* element)
{
    auto& r = *static_cast<XmlReader*>(data);
    if (r.path.empty())
        return;
    const std::string_view name(element);
    const std::string_view parent = r.path.size() >= 2 ? std::string_view(r.path[r.path.size() - 2]) : "";
    if (!r.catalogue->problem.empty()) {
        // Stopped: nothing more is read.
    } else if (parent == "header" && name == "name")
        r.header = r.text;
    else if (parent == "header" && name == "version")
        r.version = r.text;
    else if (name == "description" && (parent == "game" || parent == "machine" || parent == "software"))
        r.description = r.text;
    else if (name == "game" || name == "machine" || name == "software") {
        // No-Intro names a game by its name; MAME's short name is an id, its description the title.
        const std::string title = r.kind == XmlReader::Kind::SoftwareList ? r.description : r.game;
        for (const auto& rom : r.roms)
            if (!addEntry(*r.catalogue, title, {rom.size, rom.crc, rom.sha1, rom.serial, rom.md5}, r.serial)
                && !r.catalogue->problem.empty()) {
                r.stop(r.catalogue->problem);
                break;
            }
    }
    r.text.clear();
    r.path.pop_back();
    --r.depth;
}

void XMLCALL characters(void* data, const XML_Char* text, int length)
{
    auto& r = *static_cast<XmlReader*>(data);
    if (r.text.size() < 4096)  // names and versions are short; a hostile text run is not kept
        r.text.append(text, static_cast<std::size_t>(length));
}

void XMLCALL entityDeclared(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                            const XML_Char*, const XML_Char*)
{
    static_cast<XmlReader*>(data)->stop("it declares entities, which are not accepted");
}

void parseXml(std::string_view bytes, Catalogue& catalogue)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) {
        catalogue.problem = "it could not be read";
        return;
    }
    XmlReader reader;
    reader.parser = parser;
    reader.catalogue = &catalogue;
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, startElement, endElement);
    XML_SetCharacterDataHandler(parser, characters);
    XML_SetEntityDeclHandler(parser, entityDeclared);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    const bool parsed =
        XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    if (!parsed && catalogue.problem.empty()) {
#ifdef KL_EXPAT_HAS_LINE_NUMBER64  // the narrower call is deprecated where this one exists
        const auto line = XML_GetCurrentLineNumber64(parser);
#else
        const auto line = XML_GetCurrentLineNumber(parser);
#endif
        catalogue.problem = "it is damaged (line " + std::to_string(line) + ": "
                            + XML_ErrorString(XML_GetErrorCode(parser)) + ")";
    }
    if (reader.kind == XmlReader::Kind::Datafile)
        catalogue.name = reader.header + (reader.version.empty() ? "" : " (" + reader.version + ")");
    XML_ParserFree(parser);
}

// ---- clrmamepro's text form ----

class Tokens {
public:
    explicit Tokens(std::string_view text) : m_text(text) {}
    // The next word or quoted string; "(" and ")" stand alone. Nothing at the end.
    std::optional<std::string_view> next()
    {
        while (m_at < m_text.size() && std::string_view(" \t\r\n").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        if (m_at == m_text.size())
            return std::nullopt;
        const std::size_t start = m_at;
        if (m_text[m_at] == '(' || m_text[m_at] == ')')
            return m_text.substr(m_at++, 1);
        if (m_text[m_at] == '"') {
            const std::size_t end = m_text.find('"', start + 1);
            m_at = end == std::string_view::npos ? m_text.size() : end + 1;
            return m_text.substr(start + 1, (end == std::string_view::npos ? m_text.size() : end) - start - 1);
        }
        while (m_at < m_text.size() && std::string_view(" \t\r\n()\"").find(m_text[m_at]) == std::string_view::npos)
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

// key value pairs of one block up to its ")"; nested blocks come back as a key with an empty
// value and their pairs after it, prefixed by the key and a dot.
bool readBlock(Tokens& tokens, int depth, std::vector<std::pair<std::string, std::string>>& pairs,
               const std::string& prefix, std::string& problem)
{
    if (depth > kMaxDepth) {
        problem = "it is nested too deeply";
        return false;
    }
    while (const auto key = tokens.next()) {
        if (*key == ")")
            return true;
        if (*key == "(") {
            problem = "it is damaged (a block without a name)";
            return false;
        }
        const auto value = tokens.next();
        if (!value) {
            problem = "it is damaged (it ends inside a block)";
            return false;
        }
        if (*value == "(") {
            pairs.emplace_back(prefix + std::string(*key), "");
            if (!readBlock(tokens, depth + 1, pairs, prefix + std::string(*key) + ".", problem))
                return false;
        } else {
            pairs.emplace_back(prefix + std::string(*key), std::string(*value));
        }
    }
    problem = "it is damaged (it ends inside a block)";
    return false;
}

void parseClrmamepro(std::string_view bytes, Catalogue& catalogue)
{
    Tokens tokens(bytes);
    bool header = false;
    while (const auto block = tokens.next()) {
        const auto open = tokens.next();
        if (!open || *open != "(") {
            catalogue.problem = "it is damaged (a block without its parenthesis)";
            return;
        }
        std::vector<std::pair<std::string, std::string>> pairs;
        if (!readBlock(tokens, 1, pairs, "", catalogue.problem))
            return;
        const auto value = [&pairs](std::string_view key) {
            for (const auto& [k, v] : pairs)
                if (k == key)
                    return std::string_view(v);
            return std::string_view();
        };
        if (*block == "clrmamepro") {
            header = true;
            catalogue.name = std::string(value("name"));
            if (!value("version").empty())
                catalogue.name += " (" + std::string(value("version")) + ")";
        } else if (*block == "game" || *block == "machine") {
            // Each "rom" block's fields follow its empty-valued "rom" key.
            for (std::size_t i = 0; i < pairs.size(); ++i) {
                if (pairs[i].first != "rom" || !pairs[i].second.empty())
                    continue;
                RomFields rom;
                for (std::size_t j = i + 1; j < pairs.size() && pairs[j].first.starts_with("rom."); ++j) {
                    const std::string_view field = std::string_view(pairs[j].first).substr(4);
                    const std::string_view v = pairs[j].second;
                    if (field == "size")
                        rom.size = v;
                    else if (field == "crc")
                        rom.crc = v;
                    else if (field == "sha1")
                        rom.sha1 = v;
                    else if (field == "serial")
                        rom.serial = v;
                    else if (field == "md5")
                        rom.md5 = v;
                }
                if (!addEntry(catalogue, std::string(value("name")), rom, value("serial"))
                    && !catalogue.problem.empty())
                    return;
            }
        }
    }
    if (!header && catalogue.entries.empty())
        catalogue.problem = "it is not a catalogue";
}

}  // namespace

Catalogue parseCatalogue(std::string_view bytes, std::string file)
{
    Catalogue catalogue;
    catalogue.file = std::move(file);
    const std::size_t start = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (start != std::string_view::npos && bytes[start] == '<')
        parseXml(bytes, catalogue);
    else if (start != std::string_view::npos && bytes.substr(start).starts_with("clrmamepro"))
        parseClrmamepro(bytes, catalogue);
    else
        catalogue.problem = "it is not a catalogue";
    // A catalogue that names no game it could read says nothing of any image; listed as
    // skipped, it cannot pass for one that knows the image not.
    if (catalogue.problem.empty() && catalogue.entries.empty())
        catalogue.problem = "no game could be read from it";
    if (catalogue.problem.empty() && catalogue.name.empty())
        catalogue.name = splitPath(catalogue.file).name;
    if (!catalogue.problem.empty())
        catalogue.entries.clear();
    return catalogue;
}

Catalogue loadCatalogue(const std::string& path)
{
    const FileStatus status = fileStatus(path);
    if (status.kind == FileKind::Regular && status.size > kMaxCatalogueBytes)
        return {path, {}, "it is too large", {}};
    const auto bytes = readWholeFile(path, kMaxCatalogueBytes);
    if (!bytes)
        return {path, {}, "it could not be read", {}};
    return parseCatalogue(*bytes, path);
}

std::string catalogueFolder(const ConfigLocation& location)
{
    if (!location.installed)
        return joinAlways(location.folder, "Catalogues", kNativeStyle);
    return joinAlways(joinAlways(xdgFolder("XDG_DATA_HOME", ".local/share"), kConfigFolderName, kNativeStyle),
                      "catalogues", kNativeStyle);
}

namespace {

// The files of the folder in name order, hidden ones left out.
std::vector<std::string> catalogueFiles(const std::string& folder)
{
    std::vector<std::string> files;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                files.push_back(joinAlways(folder, entry->d_name, kNativeStyle));
        ::closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string stampOf(const std::string& path)
{
    const FileStatus status = fileStatus(path);
    return path + '\0' + std::to_string(static_cast<int>(status.kind)) + ':' + std::to_string(status.size) + ':'
           + std::to_string(status.modified) + '\0';
}

}  // namespace

const std::vector<Catalogue>& CatalogueSet::catalogues(const std::string& folder, const std::string& softwareList)
{
    std::vector<std::string> files = catalogueFiles(folder);
    if (fileKind(softwareList) == FileKind::Regular)
        files.push_back(softwareList);
    std::string stamp;
    for (const std::string& file : files)
        stamp += stampOf(file);
    if (stamp == m_stamp && !stamp.empty())
        return m_catalogues;
    m_catalogues.clear();
    for (const std::string& file : files)
        if (fileKind(file) == FileKind::Regular)
            m_catalogues.push_back(loadCatalogue(file));
    m_stamp = std::move(stamp);
    return m_catalogues;
}

namespace {

bool serialNames(std::string_view serial, std::string_view gameCode)
{
    return serial.empty() || gameCode.empty() || serial.find(gameCode) != std::string_view::npos;
}

// The entry of this size and CRC-32, with its SHA-1 checked; `shaDiffers` notes an entry
// whose CRC-32 matched but whose SHA-1 did not.
const CatalogueEntry* find(const std::vector<Catalogue>& catalogues, std::span<const unsigned char> bytes,
                           const Catalogue*& in, Identification& shaDiffers)
{
    const std::uint32_t crc = crc32Of(bytes);
    std::optional<Sha1> sha;
    std::optional<Md5> md5;
    for (const Catalogue& catalogue : catalogues) {
        if (!catalogue.problem.empty())
            continue;
        for (const CatalogueEntry& entry : catalogue.entries) {
            if (entry.md5 && entry.size == 0) {
                if (!md5)
                    md5 = md5Of(bytes);
                if (*entry.md5 != *md5)
                    continue;
                in = &catalogue;
                return &entry;
            }
            if (entry.size != bytes.size() || entry.crc != crc)
                continue;
            if (entry.sha1) {
                if (!sha)
                    sha = sha1Of(bytes);
                if (*entry.sha1 != *sha) {
                    if (shaDiffers.identity != Identity::ShaDiffers)
                        shaDiffers = {Identity::ShaDiffers, entry.name, catalogue.name};
                    continue;
                }
            }
            in = &catalogue;
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

Identification identify(const std::vector<Catalogue>& catalogues, std::span<const unsigned char> image,
                        std::string_view gameCode)
{
    if (std::none_of(catalogues.begin(), catalogues.end(), [](const Catalogue& c) { return c.problem.empty(); }))
        return {};
    const Catalogue* in = nullptr;
    Identification shaDiffers{Identity::Unknown, {}, {}};
    if (const CatalogueEntry* entry = find(catalogues, image, in, shaDiffers))
        return {serialNames(entry->serial, gameCode) ? Identity::Verified : Identity::HeaderDiffers, entry->name,
                in->name};
    // Cartridges are mirrored: a dump of twice the size whose halves are the same bytes.
    const std::size_t half = image.size() / 2;
    if (half > 0 && image.size() % 2 == 0 && std::equal(image.begin(), image.begin() + half, image.begin() + half)) {
        Identification halfShaDiffers;
        if (const CatalogueEntry* entry = find(catalogues, image.first(half), in, halfShaDiffers))
            return {Identity::Overdump, entry->name, in->name};
    }
    return shaDiffers;
}

std::optional<std::string> verifiedName(const std::vector<Catalogue>& catalogues, std::span<const unsigned char> image)
{
    const auto header = romHeaderOf(image);
    Identification found = identify(catalogues, image, header ? header->gameCode : std::string());
    return found.identity == Identity::Verified ? std::optional(std::move(found.name)) : std::nullopt;
}

std::string identificationText(const Identification& identification, std::string_view folder)
{
    switch (identification.identity) {
    case Identity::Verified: return identification.name + ": verified";
    case Identity::ShaDiffers:  // the game whose CRC-32 it has: a forgery or a bad dump of that one
        return (identification.name.empty() ? "" : identification.name + ": ") + "CRC-32 matches, SHA-1 does not";
    case Identity::Overdump: return "overdump of " + identification.name;
    case Identity::HeaderDiffers: return identification.name + ": header differs from the catalogue";
    case Identity::Unknown: return "not in any catalogue";
    case Identity::NoCatalogue: break;
    }
    return "no catalogue found in " + std::string(folder);
}

}  // namespace kl
