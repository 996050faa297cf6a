// How a log's files are named, for every program: NAME.MIX and NAME.TXT, and
// what is written beside them, NAME and an extension. Log files copied from old
// FAT media often have names in another case than the program asks for
// (log.mix, log.txt); FindLogFile finds them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mixconv {

inline constexpr std::string_view kIndexExtension = ".MIX";
inline constexpr std::string_view kTextExtension = ".TXT";

// The index path less a final ".MIX" or ".mix", or less an extension such as
// ".Mix" when the path names that file: a missing LOG.Mix still means LOG.Mix.MIX.
std::string LogBaseName(std::string_view indexPath);

// The index file of the log that path, a file the user dropped or picked,
// belongs to: path itself for an index file; for a text file, its partner,
// named in the same case (log.txt: log.mix); empty for any other file.
std::string IndexPathFor(std::string_view path);

// path itself when it exists; else the one file in its directory whose name
// differs from path's only in ASCII case; else path, when there is none. When
// several files qualify, returns nothing after reporting them.
std::optional<std::string> FindLogFile(const std::string& path);

}  // namespace mixconv
