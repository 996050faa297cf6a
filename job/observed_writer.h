// Writes through the form's writer and shows each part to an observer first.
#pragma once

#include "engine/mail_writer.h"
#include "job/mail_observer.h"

namespace mixconv {

class ObservedWriter final : public MailWriter {
 public:
  ObservedWriter(MailWriter& writer, MailObserver& observer)
      : writer_(writer), observer_(observer) {}

  void BeginMail(const MailStart& start, MessageSink& out) override {
    observer_.BeginMail(start);
    writer_.BeginMail(start, out);
  }
  void WriteHeaderLine(const HeaderLineView& line, MessageSink& out) override {
    observer_.HeaderLine(line);
    writer_.WriteHeaderLine(line, out);
  }
  void WriteCopiedLine(const CopiedLine& line, MessageSink& out) override {
    observer_.CopiedLine(line);
    writer_.WriteCopiedLine(line, out);
  }
  void EndMail(const MailEnd& end, MessageSink& out) override {
    writer_.EndMail(end, out);
    observer_.EndMail(writer_.Facts());
  }
  const MailFacts& Facts() const override { return writer_.Facts(); }

 private:
  MailWriter& writer_;
  MailObserver& observer_;
};

}  // namespace mixconv
