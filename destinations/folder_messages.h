// The lines that folders of mail files report, as printf formats. "%s: " is
// the program name.
#pragma once

namespace mixconv::messages {

inline constexpr char kFolderOpenFailed[] = "%s: %s folder open failed.";
inline constexpr char kFolderMoveFailed[] = "%s: %s folder write error.";
inline constexpr char kFolderBesideEarlier[] =
    "%s: %s is left as it was; the mails converted are in %s.";
inline constexpr char kStoppedRunFolder[] =
    "%s: the run stopped early; the mails it converted (%u) are in %s.";

}  // namespace mixconv::messages
