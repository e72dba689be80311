// The play times' file: a version line and one record per game, changed under a lock and
// written atomically.
#include "play_times.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "../file_kind.h"
#include "../paths.h"
#include "../rom/zip_archive.h"
#include "text_file.h"

namespace kl {

namespace {

constexpr std::string_view kVersionLine = "kalmora-launcher play times 1\n";
constexpr std::string_view kAnyVersion = "kalmora-launcher play times ";
// A record is at most 40 hex digits, three 20-digit numbers, a path of PATH_MAX and the
// separators; anything larger is not a file of ours.
constexpr std::size_t kMaxFileSize = kVersionLine.size() + kPlayRecordsKept * (40 + 3 * 21 + 1 + 4096 + 2);

// Reads "<number> " off the front, in the one form the file is written in: digits without
// leading zeros, and a minus sign only before a number that is not zero.
template <class Number>
bool takeNumber(std::string_view& bytes, Number& value)
{
    const std::size_t blank = bytes.find(' ');
    if (blank == std::string_view::npos || blank == 0)
        return false;
    const std::size_t sign = bytes.front() == '-' ? 1 : 0;
    const std::string_view digits = bytes.substr(sign, blank - sign);
    if (digits.empty() || (digits.front() == '0' && blank > 1))
        return false;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + blank, value);
    if (error != std::errc() || end != bytes.data() + blank)
        return false;
    bytes.remove_prefix(blank + 1);
    return true;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// Where a portable copy keeps nothing (no Data), the user's state folder is made for it.
std::string playTimesFolder(const ConfigLocation& location)
{
    if (!location.installed && fileKind(location.folder) == FileKind::Folder)
        return location.folder;
    return userStateFolder();
}

// Reads, changes and writes the file under its lock. A file of a newer launcher, or one that
// could not be read, is left as it is; a damaged one is set aside, then replaced.
template <class Change>
bool changePlayTimes(const ConfigLocation& location, Change change)
{
    const std::string folder = playTimesFolder(location);
    if (folder != location.folder && !makeFolders(folder, 0700))
        return false;
    return changeStateFile(joinAlways(folder, kPlayTimesName, kNativeStyle), kMaxFileSize, [&](const StateRead& read) {
        StateChange changed;
        // A newer launcher's file is its own, however large.
        if (read.bytes.starts_with(kAnyVersion) && !read.bytes.starts_with(kVersionLine))
            return changed;
        auto records = read.status == StateRead::Status::Read ? parsePlayTimes(read.bytes) : std::nullopt;
        if (!records) {
            changed.damaged = !read.bytes.empty();
            records.emplace();
        }
        change(*records);
        changed.content = formatPlayTimes(*records);
        return changed;
    });
}

}  // namespace

std::string playTimesPath(const ConfigLocation& location)
{
    return joinAlways(playTimesFolder(location), kPlayTimesName, kNativeStyle);
}

std::string formatPlayTimes(const std::vector<PlayRecord>& records)
{
    std::string bytes(kVersionLine);
    for (const PlayRecord& r : records) {
        bytes += sha1Hex(r.game) + ' ' + std::to_string(r.sessions) + ' ' + std::to_string(r.seconds) + ' '
                 + std::to_string(r.lastEnd) + ' ' + r.lastPath;
        bytes += '\0';
        bytes += '\n';
    }
    return bytes;
}

std::optional<std::vector<PlayRecord>> parsePlayTimes(std::string_view bytes)
{
    if (!bytes.starts_with(kVersionLine))
        return std::nullopt;
    bytes.remove_prefix(kVersionLine.size());
    std::vector<PlayRecord> records;
    while (!bytes.empty()) {
        PlayRecord r;
        // Lower-case only: one game has one spelling, so a record is found by its bytes.
        const std::string_view key = bytes.substr(0, 40);
        const auto game = bytes.size() > 41 && bytes[40] == ' ' && key.find_first_not_of("0123456789abcdef") == std::string_view::npos
                              ? sha1OfHex(key)
                              : std::nullopt;
        if (!game || records.size() == kPlayRecordsKept)
            return std::nullopt;
        r.game = *game;
        bytes.remove_prefix(41);
        if (!takeNumber(bytes, r.sessions) || !takeNumber(bytes, r.seconds) || !takeNumber(bytes, r.lastEnd))
            return std::nullopt;
        const std::size_t end = bytes.find('\0');
        if (end == std::string_view::npos || end == 0 || bytes.front() != '/' || end + 1 == bytes.size()
            || bytes[end + 1] != '\n' || r.sessions == 0 || findPlayRecord(records, r.game))
            return std::nullopt;
        r.lastPath = bytes.substr(0, end);
        bytes.remove_prefix(end + 2);
        records.push_back(std::move(r));
    }
    return records;
}

std::optional<std::vector<PlayRecord>> loadPlayTimes(const ConfigLocation& location)
{
    const std::string path = playTimesPath(location);
    if (fileKind(path) == FileKind::Missing)
        return std::nullopt;
    const auto bytes = readWholeFile(path, kMaxFileSize);
    auto records = bytes ? parsePlayTimes(*bytes) : std::nullopt;
    return records ? std::move(*records) : std::vector<PlayRecord>{};
}

const PlayRecord* findPlayRecord(const std::vector<PlayRecord>& records, const Sha1& game)
{
    const auto found = std::find_if(records.begin(), records.end(), [&](const PlayRecord& r) { return r.game == game; });
    return found == records.end() ? nullptr : &*found;
}

bool recordSession(const ConfigLocation& location, const PlaySession& session)
{
    if (session.length < kShortestSession || session.path.empty() || session.path.front() != '/'
        || session.path.find('\0') != std::string::npos)
        return false;
    const auto seconds = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(session.length).count());
    return changePlayTimes(location, [&](std::vector<PlayRecord>& records) {
        auto found = std::find_if(records.begin(), records.end(), [&](const PlayRecord& r) { return r.game == session.game; });
        if (found == records.end()) {
            if (records.size() >= kPlayRecordsKept)
                records.erase(std::min_element(records.begin(), records.end(), [](const auto& a, const auto& b) {
                    return a.lastEnd < b.lastEnd;
                }));
            records.push_back({session.game, 0, 0, session.end, session.path});
            found = records.end() - 1;
        }
        found->sessions = saturatingAdd(found->sessions, 1);
        found->seconds = saturatingAdd(found->seconds, seconds);
        // Two sessions of one game may end in either order; the later end names the path.
        if (session.end >= found->lastEnd) {
            found->lastEnd = session.end;
            found->lastPath = session.path;
        }
    });
}

bool forgetPlayTime(const ConfigLocation& location, const Sha1& game)
{
    if (fileKind(playTimesPath(location)) == FileKind::Missing)
        return true;
    return changePlayTimes(location, [&](std::vector<PlayRecord>& records) {
        std::erase_if(records, [&](const PlayRecord& r) { return r.game == game; });
    });
}

std::optional<Sha1> playKeyOf(const std::string& romPath)
{
    const auto image = readGameImage(romPath);
    if (!image)
        return std::nullopt;
    return sha1Of({reinterpret_cast<const unsigned char*>(image->data()), image->size()});
}

std::string playedText(const PlayRecord* record)
{
    if (!record)
        return "never";
    std::string text = std::to_string(record->sessions) + (record->sessions == 1 ? " session, " : " sessions, ");
    const std::uint64_t minutes = record->seconds / 60;
    if (minutes == 0)
        return text + "less than a minute";
    if (minutes >= 60)
        text += std::to_string(minutes / 60) + " h ";
    return text + std::to_string(minutes % 60) + " min";
}

}  // namespace kl
