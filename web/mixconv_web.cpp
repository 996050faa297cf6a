// The converter inside the web page's worker: one call converts the log that
// the worker has laid out, and its lines, mails and outcome go back to the page.
#include <emscripten.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string>
#include <string_view>

#include "charset/cp932_decoder.h"
#include "engine/convert.h"
#include "engine/line_text.h"
#include "job/user_conversion.h"

namespace {

constexpr char kProgramName[] = "mixconv";
constexpr std::string_view kSubjectField = "Subject: ";
constexpr std::string_view kGatewayFromField = "From: ";

// The page's output list, by its entries' values.
struct PageOutput {
  std::string_view value;
  mixconv::Output output;
};
constexpr PageOutput kPageOutputs[] = {
    {"readable", mixconv::Output::ReadableMbox},
    {"original", mixconv::Output::OriginalMbox},
    {"eml", mixconv::Output::EmlFolder},
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

// Tells the page each mail's date, sender and subject, in Unicode, so that the
// user sees what the download holds.
class MailListing final : public mixconv::MailObserver {
 public:
  void BeginMail(const mixconv::MailStart& start) override {
    time_ = start.time;
    sender_.clear();
    subject_.clear();
  }

  void HeaderLine(const mixconv::HeaderLineView& line) override {
    const bool firstPart = !lineContinues_;
    lineContinues_ = line.continues;
    if (firstPart && line.field == mixconv::HeaderField::Subject && subject_.empty()) {
      subject_ = Text(mixconv::WithoutLineEnd(line.bytes.substr(kSubjectField.size())));
    } else if (firstPart && line.field == mixconv::HeaderField::From && !line.addresses.empty()) {
      const mixconv::AddressSpan& from = line.addresses.front();
      sender_ = Text(from.displayName.empty() ? from.address : from.displayName);
    }
  }

  // Mail from the Internet gateway names its sender in its own header lines.
  void CopiedLine(const mixconv::CopiedLine& line) override {
    if (line.fromGateway && sender_.empty() && line.bytes.starts_with(kGatewayFromField)) {
      sender_ = Text(mixconv::WithoutLineEnd(line.bytes.substr(kGatewayFromField.size())));
    }
  }

  void EndMail(const mixconv::MailEnd&) override {
    PostMail(time_, sender_.c_str(), subject_.c_str());
  }

 private:
  std::string Text(std::string_view cp932) { return std::string(decoder_.Decode(cp932, true)); }

  mixconv::Cp932Decoder decoder_;
  std::int32_t time_ = 0;
  std::string sender_;
  std::string subject_;
  bool lineContinues_ = false;
};

}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void mixconv_convert(const char* indexPath, const char* fullName,
                                                     const char* mailAddress, const char* output) {
  PageReport report;
  mixconv::ActiveResultLog = &report;
  const auto* chosen =
      std::find_if(std::begin(kPageOutputs), std::end(kPageOutputs),
                   [output](const PageOutput& page) { return page.value == output; });
  MailListing listing;
  const mixconv::ConversionOutcome outcome =
      chosen == std::end(kPageOutputs)
          ? mixconv::ConversionOutcome{-1, 0, 0, false}
          : mixconv::ConvertForUser(kProgramName, {indexPath, fullName, mailAddress},
                                    chosen->output, &listing);
  PostOutcome(outcome.converted, outcome.total, outcome.complete ? 1 : 0);
  mixconv::ActiveResultLog = nullptr;
}

// The worker fails a read of a picked file it cannot read with this, the
// number the engine's own reads know as EIO.
extern "C" EMSCRIPTEN_KEEPALIVE int mixconv_read_error_number() { return EIO; }
