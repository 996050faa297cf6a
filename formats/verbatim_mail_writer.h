// The original form: every byte as the mail log holds it, as the original
// converter wrote it.
#pragma once

#include "engine/mail_writer.h"

namespace mixconv {

MailWriter& VerbatimMailWriter();

}  // namespace mixconv
