// Every line the engine reports, as printf formats. "%s: " is the program name.
#pragma once

namespace mixconv::messages {

inline constexpr char kFileOpenFailed[] = "%s: %s file open failed.";
inline constexpr char kFileNameAmbiguous[] =
    "%s: %s file open failed: %u files have this name in different case.";
inline constexpr char kFileSeekFailed[] = "%s: file seek failed.";
inline constexpr char kFileReadError[] = "%s: file read error.";
inline constexpr char kFileWriteError[] = "%s: file write error.";
inline constexpr char kFileMoveFailed[] = "%s: %s file write error.";
inline constexpr char kMailboxPlacedElsewhere[] =
    "%s: %s file write error; the mails converted are in %s.";
inline constexpr char kPartialMailboxSaved[] =
    "%s: the mails converted are in %s; %s is left as it was.";
inline constexpr char kNoTitleLine[] = "%s: no title line !! ABORT...";
inline constexpr char kNoSubjectLine[] = "%s: no subject line !! ABORT...";
inline constexpr char kUnknownMailKind[] = "%s: unknown mail kind %02x !! ABORT...";
inline constexpr char kNoSuchEntry[] = "%s: mail %u is not in the index, which counts %u.";
inline constexpr char kNoMailWriter[] = "%s: no form to write the mails in was given.";
inline constexpr char kSkipBinaryMail[] = "skip one binary mail.";
inline constexpr char kSummary[] = "convert %u/%u mail";

}  // namespace mixconv::messages
