#include "formats/verbatim_mail_writer.h"

#include "formats/mail_facts_gatherer.h"

namespace mixconv {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

class Verbatim final : public MailWriter {
 public:
  void BeginMail(const MailStart& start, MessageSink&) override { facts_.BeginMail(start); }

  void WriteHeaderLine(const HeaderLineView& line, MessageSink& out) override {
    facts_.TakeHeaderLine(line);
    out.Write(line.bytes);
  }

  void WriteCopiedLine(const CopiedLine& line, MessageSink& out) override {
    facts_.TakeCopiedLine(line);
    out.Write(line.bytes);
  }

  void EndMail(const MailEnd& end, MessageSink& out) override {
    if (end.needsLineEnd) {
      out.Write(kLineEnd);
    }
    facts_.EndMail();
  }

  const MailFacts& Facts() const override { return facts_.Facts(); }

 private:
  MailFactsGatherer facts_;
};

}  // namespace

MailWriter& VerbatimMailWriter() {
  static Verbatim writer;
  return writer;
}

}  // namespace mixconv
