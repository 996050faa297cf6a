// The converter inside the web page's worker: one call converts the log that
// the worker has laid out, and its lines, mails and outcome go back to the page;
// later calls give one of its mails, or those that hold a text.
#include <emscripten.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "destinations/mailbox_pieces.h"
#include "engine/convert.h"
#include "engine/log_file_name.h"
#include "engine/mail_index.h"
#include "job/mail_search.h"
#include "job/mailbox_job.h"
#include "job/output_catalogue.h"
#include "job/user_conversion.h"
#include "version.h"

namespace {

using mixconv::kProgramName;

// clang-format off
EM_JS(void, PostLine, (const char* text), { postLine(UTF8ToString(text)); });
EM_JS(void, PostMail, (unsigned number, int time, const char* sender, const char* subject),
      { postMail(number, time, UTF8ToString(sender), UTF8ToString(subject)); });
EM_JS(void, PostMailFile, (const char* name, const char* bytes, std::size_t size),
      { postMailFile(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size)); });
EM_JS(void, PostMatches, (const std::uint32_t* numbers, std::size_t count, int complete),
      { postMatches(HEAPU32.slice(numbers >> 2, (numbers >> 2) + count), complete !== 0); });
EM_JS(void, PostPiece, (const char* bytes, std::size_t size),
      { postPiece(HEAPU8.subarray(bytes, bytes + size)); });
EM_JS(void, PostOutcome, (int result, unsigned converted, unsigned total, int complete,
                          const char* keptAt),
      { postOutcome(result, converted, total, complete !== 0, UTF8ToString(keptAt)); });
// clang-format on

class PageReport final : public mixconv::ReportTarget {
 public:
  int AddLine(const char* text) override {
    PostLine(text);
    return 0;
  }
};

class PageMailbox final : public mixconv::PieceReceiver {
 public:
  void TakePiece(std::string_view bytes) override { PostPiece(bytes.data(), bytes.size()); }
};

// Tells the page each mail's date, sender and subject, in Unicode, so that the
// user sees what the download holds.
class MailListing final : public mixconv::MailObserver {
 public:
  void EndMail(const mixconv::MailFacts& facts) override {
    const mixconv::MailboxText& sender = facts.sender;
    const std::string& shown = sender.displayName.empty() ? sender.address : sender.displayName;
    PostMail(facts.number, facts.time, shown.c_str(), facts.subject.c_str());
  }
};

}  // namespace

// The mails at first..last only, for a mailbox; the page may convert the log
// in parts, side by side, and then asks for the summary line of the whole.
extern "C" EMSCRIPTEN_KEEPALIVE void mixconv_convert(const char* indexPath, const char* fullName,
                                                     const char* mailAddress, const char* output,
                                                     unsigned first, unsigned last) {
  PageReport report;
  mixconv::ActiveResultLog = &report;
  const mixconv::Output* chosen = mixconv::OutputOfPage(output);
  MailListing listing;
  const mixconv::UserFields fields{indexPath, fullName, mailAddress};
  mixconv::ConversionOutcome outcome = mixconv::kNothingConverted;
  if (chosen != nullptr && chosen->destination == mixconv::Destination::Mbox) {
    PageMailbox pieces;
    mixconv::MailboxPieces mailbox(mixconv::MailboxStyle(chosen->form), pieces);
    outcome = mixconv::ConvertForUserInto(kProgramName, fields, chosen->form, mailbox, &listing,
                                          {first, last});
    // The download's name, as a mailbox beside the log would have.
    outcome.keptAt = mixconv::LogBaseName(indexPath) + std::string(chosen->extension);
  } else if (chosen != nullptr) {
    outcome = mixconv::ConvertForUser(kProgramName, fields, *chosen, &listing);
  }
  PostOutcome(outcome.result, outcome.converted, outcome.total, outcome.complete ? 1 : 0,
              outcome.keptAt.c_str());
  mixconv::ActiveResultLog = nullptr;
}

// Whether output, a value of the page's list, gives one mailbox, which a run
// may write in parts side by side; else it gives a folder, offered zipped.
extern "C" EMSCRIPTEN_KEEPALIVE int mixconv_output_is_mailbox(const char* output) {
  const mixconv::Output* chosen = mixconv::OutputOfPage(output);
  return chosen != nullptr && chosen->destination == mixconv::Destination::Mbox ? 1 : 0;
}

extern "C" EMSCRIPTEN_KEEPALIVE void mixconv_summary(unsigned converted, unsigned total) {
  PageReport report;
  mixconv::ActiveResultLog = &report;
  mixconv::ReportSummary(converted, total);
  mixconv::ActiveResultLog = nullptr;
}

// The mail at number, as one file of the .eml folder, its name and bytes.
extern "C" EMSCRIPTEN_KEEPALIVE void mixconv_mail(const char* indexPath, const char* fullName,
                                                  const char* mailAddress, unsigned number) {
  PageReport report;
  mixconv::ActiveResultLog = &report;
  if (const std::optional<mixconv::MailFile> mail =
          mixconv::EmlFileForUser(kProgramName, {indexPath, fullName, mailAddress}, number)) {
    PostMailFile(mail->name.c_str(), mail->bytes.data(), mail->bytes.size());
  }
  mixconv::ActiveResultLog = nullptr;
}

// The mails at first..last that hold query, by their place in the index.
extern "C" EMSCRIPTEN_KEEPALIVE void mixconv_search(const char* indexPath, const char* fullName,
                                                    const char* mailAddress, const char* query,
                                                    unsigned first, unsigned last) {
  PageReport report;
  mixconv::ActiveResultLog = &report;
  mixconv::MailSearch search(query);
  const mixconv::ConversionOutcome outcome = mixconv::ObserveForUser(
      kProgramName, {indexPath, fullName, mailAddress}, search, {first, last});
  PostMatches(search.Matches().data(), search.Matches().size(), outcome.complete ? 1 : 0);
  mixconv::ActiveResultLog = nullptr;
}

// How many entries an index of that many bytes holds, whatever it claims: how
// the page splits a run into parts of about as many mails.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned mixconv_entries_in_index(double bytes) {
  constexpr double kHeaderBytes = mixconv::kIndexPreambleSize + mixconv::kEntryCountSize;
  return bytes > kHeaderBytes
             ? static_cast<unsigned>((bytes - kHeaderBytes) / mixconv::kIndexEntrySize)
             : 0;
}

// The worker fails a read of a picked file it cannot read with this, the
// number the engine's own reads know as EIO.
extern "C" EMSCRIPTEN_KEEPALIVE int mixconv_read_error_number() { return EIO; }
