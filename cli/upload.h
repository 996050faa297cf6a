// mixconv-cli --imap: each log's mails uploaded to a folder on an IMAP server.
#pragma once

#include "cli/options.h"
#include "cli/stream_report.h"

namespace mixconv::cli {

// The exit status: 0 when every log's mails are all in the folder.
int UploadLogs(const Options& options, StreamReport& report);

}  // namespace mixconv::cli
