// A log's mails uploaded to a folder on an IMAP server, in the readable form.
#pragma once

#include <string_view>

#include "engine/convert.h"
#include "imap/imap_connection.h"
#include "imap/upload_control.h"

namespace mixconv {

// request.writer is not used: servers take the readable form only.
ConversionOutcome UploadLog(const ConversionRequest& request, const imap::ImapAccount& account,
                            std::string_view password, imap::UploadControl* control = nullptr);

}  // namespace mixconv
