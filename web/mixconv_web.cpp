// The converter inside the web page's worker: one call converts the log that
// the worker has laid out, and its lines, mails and outcome go back to the page.
#include <emscripten.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string>
#include <string_view>

#include "charset/cp932.h"
#include "charset/cp932_decoder.h"
#include "charset/utf8_mail_writer.h"
#include "engine/convert.h"
#include "engine/line_text.h"
#include "job/mailbox_job.h"

namespace {

constexpr char kProgramName[] = "mixconv";
constexpr std::string_view kSubjectField = "Subject: ";
constexpr std::string_view kGatewayFromField = "From: ";

// The page's output list, by its entries' values.
struct PageOutput {
  std::string_view value;
  mixconv::MessageForm form;
  mixconv::Destination destination;
};
constexpr PageOutput kPageOutputs[] = {
    {"readable", mixconv::MessageForm::Readable, mixconv::Destination::Mbox},
    {"original", mixconv::MessageForm::Original, mixconv::Destination::Mbox},
    {"eml", mixconv::MessageForm::Readable, mixconv::Destination::EmlFolder},
};

// clang-format off
EM_JS(void, PostLine, (const char* text), { postLine(UTF8ToString(text)); });
EM_JS(void, PostMail, (int time, const char* sender, const char* subject),
      { postMail(time, UTF8ToString(sender), UTF8ToString(subject)); });
EM_JS(void, PostOutcome, (unsigned converted, unsigned total, int complete),
      { postOutcome(converted, total, complete !== 0); });
// clang-format on

class PageReport final : public mixconv::ReportTarget {
 public:
  int AddLine(const char* text) override {
    PostLine(text);
    return 0;
  }
};

// Writes through to the mailbox's writer and tells the page each mail's date,
// sender and subject, in Unicode, so that the user sees what the file holds.
class ListingWriter final : public mixconv::MailWriter {
 public:
  explicit ListingWriter(mixconv::MailWriter& inner) : inner_(inner) {}

  void BeginMail(const mixconv::MailStart& start, mixconv::MessageSink& out) override {
    time_ = start.time;
    sender_.clear();
    subject_.clear();
    inner_.BeginMail(start, out);
  }

  void WriteHeaderLine(const mixconv::HeaderLineView& line, mixconv::MessageSink& out) override {
    const bool firstPart = !lineContinues_;
    lineContinues_ = line.continues;
    if (firstPart && line.field == mixconv::HeaderField::Subject && subject_.empty()) {
      subject_ = Text(mixconv::WithoutLineEnd(line.bytes.substr(kSubjectField.size())));
    } else if (firstPart && line.field == mixconv::HeaderField::From && !line.addresses.empty()) {
      const mixconv::AddressSpan& from = line.addresses.front();
      sender_ = Text(from.displayName.empty() ? from.address : from.displayName);
    }
    inner_.WriteHeaderLine(line, out);
  }

  // Mail from the Internet gateway names its sender in its own header lines.
  void WriteCopiedLine(const mixconv::CopiedLine& line, mixconv::MessageSink& out) override {
    if (line.fromGateway && sender_.empty() && line.bytes.starts_with(kGatewayFromField)) {
      sender_ = Text(mixconv::WithoutLineEnd(line.bytes.substr(kGatewayFromField.size())));
    }
    inner_.WriteCopiedLine(line, out);
  }

  void EndMail(const mixconv::MailEnd& end, mixconv::MessageSink& out) override {
    inner_.EndMail(end, out);
    PostMail(time_, sender_.c_str(), subject_.c_str());
  }

 private:
  std::string Text(std::string_view cp932) { return std::string(decoder_.Decode(cp932, true)); }

  mixconv::MailWriter& inner_;
  mixconv::Cp932Decoder decoder_;
  std::int32_t time_ = 0;
  std::string sender_;
  std::string subject_;
  bool lineContinues_ = false;
};

// The mailbox holds Shift_JIS only: a field it cannot hold is reported, not mangled.
bool Encode(const char* field, const char* utf8, mixconv::Cp932Text& text) {
  text = mixconv::EncodeCp932(utf8, "UTF-8");
  if (!text.ok()) {
    mixconv::ReportLine((std::string(kProgramName) + ": " + field + ": " + text.error).c_str());
  }
  return text.ok();
}

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void mixconv_convert(const char* indexPath, const char* fullName,
                                                     const char* mailAddress, const char* output) {
  PageReport report;
  mixconv::ActiveResultLog = &report;
  const auto* chosen =
      std::find_if(std::begin(kPageOutputs), std::end(kPageOutputs),
                   [output](const PageOutput& page) { return page.value == output; });
  mixconv::Cp932Text name;
  mixconv::Cp932Text address;
  if (chosen != std::end(kPageOutputs) && Encode("name", fullName, name) &&
      Encode("e-mail", mailAddress, address)) {
    const bool readable = chosen->form == mixconv::MessageForm::Readable;
    mixconv::Utf8MailWriter utf8Writer(kProgramName);
    ListingWriter writer(readable ? static_cast<mixconv::MailWriter&>(utf8Writer)
                                  : mixconv::VerbatimMailWriter());
    const mixconv::ConversionOutcome outcome =
        mixconv::ConvertLog({kProgramName, indexPath, name.bytes.c_str(), address.bytes.c_str(),
                             mixconv::ServiceMailDomain, &writer},
                            chosen->form, chosen->destination);
    PostOutcome(outcome.converted, outcome.total, outcome.complete ? 1 : 0);
  } else {
    PostOutcome(0, 0, 0);
  }
  mixconv::ActiveResultLog = nullptr;
}

// The worker fails a read of a picked file it cannot read with this, the
// number the engine's own reads know as EIO.
extern "C" EMSCRIPTEN_KEEPALIVE int mixconv_read_error_number() { return EIO; }
