#include "formats/verbatim_mail_writer.h"

namespace mixconv {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

class Verbatim final : public MailWriter {
 public:
  void BeginMail(const MailStart&, MessageSink&) override {}

  void WriteHeaderLine(const HeaderLineView& line, MessageSink& out) override {
    out.Write(line.bytes);
  }

  void WriteCopiedLine(const CopiedLine& line, MessageSink& out) override {
    out.Write(line.bytes);
  }

  void EndMail(const MailEnd& end, MessageSink& out) override {
    if (end.needsLineEnd) {
      out.Write(kLineEnd);
    }
  }
};

}  // namespace

MailWriter& VerbatimMailWriter() {
  static Verbatim writer;
  return writer;
}

}  // namespace mixconv
