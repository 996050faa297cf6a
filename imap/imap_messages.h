// The lines an upload reports, as printf formats. "%s: " is the program name,
// then, where a line is about the server, its name.
#pragma once

namespace mixconv::imap::messages {

inline constexpr char kHostNotFound[] = "%s: %s: host not found.";
inline constexpr char kNoConnection[] = "%s: %s: could not connect: %s.";
inline constexpr char kCertificateRefused[] = "%s: %s: the server's certificate was refused: %s.";
inline constexpr char kNoStartTls[] =
    "%s: %s: the server offers no STARTTLS, without which the password would cross the network "
    "unencrypted; use imaps://.";
inline constexpr char kLoginRefused[] = "%s: %s: the login as %s was refused.";
inline constexpr char kNoAnswer[] = "%s: %s: the server did not answer: %s.";
inline constexpr char kFolderRefused[] = "%s: %s: the folder %s could not be opened: %s";
inline constexpr char kFolderUnread[] = "%s: %s: the mails in %s could not be read: %s";
inline constexpr char kConnectionLost[] = "%s: %s: the connection was lost: %s.";
inline constexpr char kMailRefused[] = "%s: %s: mail %u was refused: %s";
inline constexpr char kMailTooLarge[] = "%s: mail %u is larger than the server takes (%s bytes).";
inline constexpr char kUploadStopped[] =
    "%s: the upload stopped at mail %u; %u mails of %s are in %s; running it again sends the rest.";
inline constexpr char kUploadStoppedAtLeast[] =
    "%s: the upload stopped at mail %u; at least %u mails of %s are in %s; running it again sends "
    "the rest.";
inline constexpr char kAlreadyThere[] = "%u mails were already in %s and were not sent again.";

}  // namespace mixconv::imap::messages
