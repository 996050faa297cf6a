// Every output the programs offer, one row each, made from resources/outputs.json:
// mixconv-cli's options, the desktop programs' lists and the web page's list all
// come from here, so that an output is added by adding a row and its destination.
#pragma once

#include <span>
#include <string_view>

#include "job/mailbox_job.h"

namespace mixconv {

// The programs that offer an output, as bits of Output::programs.
inline constexpr unsigned kOfferedByCli = 1;
inline constexpr unsigned kOfferedByDesktop = 2;
inline constexpr unsigned kOfferedByPage = 4;

struct Output {
  int label;                    // the string table's entry that names it in a list
  std::string_view option;      // mixconv-cli's
  std::string_view help;        // mixconv-cli --help's lines for option, each ending in '\n'
  std::string_view pageValue;   // the web page's list entry's value
  MessageForm form;
  Destination destination;
  std::string_view extension;   // what the log's base name gets: NAME.mbx, say
  unsigned programs;

  bool OfferedBy(unsigned program) const { return (programs & program) != 0; }
};

// In the lists' order; the first is what a user gets without choosing.
std::span<const Output> Outputs();

// Nothing when no output has it.
const Output* OutputLabelled(int label);
const Output* OutputOfPage(std::string_view value);
const Output* OutputFor(MessageForm form, Destination destination);

}  // namespace mixconv
