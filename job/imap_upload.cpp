#include "job/imap_upload.h"

#include "formats/utf8_mail_writer.h"
#include "imap/imap_folder.h"

namespace mixconv {

ConversionOutcome UploadLog(const ConversionRequest& request, const imap::ImapAccount& account,
                            std::string_view password, imap::UploadControl* control) {
  Utf8MailWriter writer(request.programName);
  ConversionRequest readable = request;
  readable.writer = &writer;
  imap::ImapFolder folder(request.programName, account, password, control);
  return RunConversion(readable, folder);
}

}  // namespace mixconv
