#include "cli/options.h"

#include <string_view>

#include "cli/console.h"
#include "engine/convert.h"
#include "job/output_catalogue.h"

namespace mixconv::cli {

namespace {

constexpr std::string_view kUsageHead =
    "Usage: mixconv-cli [OPTION]... INDEX...\n"
    "Convert mail logs (NAME.MIX with its NAME.TXT) into mailbox files (NAME.mbx)\n"
    "or folders of mail files.\n"
    "Each INDEX may be given as NAME.MIX, NAME.mix or NAME.\n"
    "\n"
    "  --name NAME       your full name, for the To line of received mail and\n"
    "                    the From line of sent mail (default: empty)\n"
    "  --email ADDRESS   your e-mail address, used with --name (default: empty)\n"
    "  --domain DOMAIN   the member mail domain added to member IDs\n"
    "                    (default: members.example.jp)\n";
// After the outputs' options.
constexpr std::string_view kUsageTail =
    "  --imap imaps://USER@HOST[:PORT]/FOLDER\n"
    "                    upload every mail, seen and dated, to FOLDER (made when\n"
    "                    missing); mails already there are not sent again; imap://\n"
    "                    takes STARTTLS (not on Windows)\n"
    "  --ca-file FILE    trust the server certificates that FILE's authorities\n"
    "                    signed, in place of the system's\n"
    "  --password-command CMD\n"
    "                    run CMD with /bin/sh and take its first line of output as\n"
    "                    the password; else MIXCONV_IMAP_PASSWORD is read (the\n"
    "                    least safe), else the terminal asks\n"
    "  --quiet           print only errors\n"
    "  --help            show this help and exit\n"
    "  --version         show the version and exit\n"
    "  --                end of options: every later argument is an INDEX\n"
    "\n"
    "Dates are shown in the local time zone (TZ).\n"
    "Exit status: 0 when every log converted completely, 1 when any did not,\n"
    "2 for a usage error.\n";
// Where an option's explanation starts, and how far its further lines are indented.
constexpr std::string_view kHelpIndent = "                    ";
constexpr std::string_view kOptionIndent = "  ";

// An option and its explanation as --help lists them.
std::string HelpLines(std::string_view option, std::string_view help) {
  std::string lines = std::string(kOptionIndent) + std::string(option);
  if (lines.size() < kHelpIndent.size()) {
    lines.append(kHelpIndent.size() - lines.size(), ' ');
  } else {
    lines += "\n" + std::string(kHelpIndent);
  }
  for (std::size_t start = 0; start < help.size();) {
    const std::size_t lineEnd = help.find('\n', start);
    const std::size_t end = lineEnd == std::string_view::npos ? help.size() : lineEnd + 1;
    if (start > 0) {
      lines += kHelpIndent;
    }
    lines += help.substr(start, end - start);
    start = end;
  }
  return lines;
}

struct ValueOption {
  std::string_view name;
  std::string Options::*field;
};

// The outputs mixconv-cli offers: one with a mailbox picks the form of its
// messages, one with another destination picks where they go.
const Output* OutputOption(std::string_view argument) {
  for (const Output& output : Outputs()) {
    if (output.OfferedBy(kOfferedByCli) && output.option == argument) {
      return &output;
    }
  }
  return nullptr;
}

std::string_view DestinationName(Destination destination) {
  for (const Output& output : Outputs()) {
    if (output.OfferedBy(kOfferedByCli) && output.destination == destination) {
      return output.option;
    }
  }
  return {};
}

#ifdef MIXCONV_WITH_IMAP
// The options of the outputs that are not a mailbox, as "--a or --b".
std::string FolderOptions() {
  std::string options;
  for (const Output& output : Outputs()) {
    if (output.OfferedBy(kOfferedByCli) && output.destination != Destination::Mbox) {
      options += (options.empty() ? "" : " or ") + std::string(output.option);
    }
  }
  return options;
}
#endif

// Where the form cannot go to the destination: why, and what to do instead. A
// readable Maildir is refused only where names take no ':', and .eml files go there.
std::string Refused(const Options& options) {
  const std::string_view refusal = Refusal(options.form, options.destination);
  if (refusal.empty()) {
    return {};
  }
  const std::string destination(DestinationName(options.destination));
  if (options.form == MessageForm::Original) {
    return std::string(OutputFor(options.form, Destination::Mbox)->option) +
           " cannot be used with " + destination + ": " + std::string(refusal);
  }
  return destination + ": " + std::string(refusal) + "; use " +
         std::string(DestinationName(Destination::EmlFolder)) + " for one file per mail";
}

constexpr ValueOption kValueOptions[] = {
    {"--name", &Options::fullName},
    {"--email", &Options::mailAddress},
    {"--domain", &Options::mailDomain},
    {"--imap", &Options::imapUrl},
    {"--ca-file", &Options::caFile},
    {"--password-command", &Options::passwordCommand},
};

// What the upload options cannot go with; empty when they are sound.
std::string UploadRefused(const Options& options) {
  if (options.imapUrl.empty()) {
    return options.caFile.empty() && options.passwordCommand.empty()
               ? std::string()
               : "--ca-file and --password-command are used with --imap only";
  }
#ifndef MIXCONV_WITH_IMAP
  return "--imap: this build of mixconv-cli cannot upload; the Linux one can";
#else
  if (options.form == MessageForm::Original) {
    return "--original cannot be used with --imap: servers get the readable form";
  }
  if (options.destination != Destination::Mbox) {
    return "--imap cannot be used with " + FolderOptions();
  }
  return {};
#endif
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  Options& options = parsed.options;
  options.mailDomain = ServiceMailDomain;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (optionsEnded || !argument.starts_with("-") || argument == "-") {
      options.indexPaths.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--quiet" || argument == "-q") {
      options.quiet = true;
    } else if (const Output* output = OutputOption(argument)) {
      if (output->destination == Destination::Mbox) {
        options.form = output->form;
      } else if (options.destination != Destination::Mbox &&
                 options.destination != output->destination) {
        parsed.error = std::string(DestinationName(options.destination)) + " and " +
                       std::string(argument) + " cannot be used together";
        return parsed;
      } else {
        options.destination = output->destination;
      }
    } else if (argument == "--help" || argument == "-h") {
      options.showHelp = true;
    } else if (argument == "--version") {
      options.showVersion = true;
    } else {
      const std::string_view name = argument.substr(0, argument.find('='));
      const ValueOption* match = nullptr;
      for (const ValueOption& option : kValueOptions) {
        if (option.name == name) {
          match = &option;
        }
      }
      if (match == nullptr) {
        parsed.error = "unknown option '" + std::string(argument) + "'";
        return parsed;
      }
      if (name.size() < argument.size()) {
        options.*(match->field) = argument.substr(name.size() + 1);
      } else if (i + 1 < arguments.size()) {
        options.*(match->field) = arguments[++i];
      } else {
        parsed.error = "option '" + std::string(name) + "' needs a value";
        return parsed;
      }
    }
  }
  if (!options.showHelp && !options.showVersion) {
    parsed.error = options.indexPaths.empty() ? std::string("no INDEX given") : Refused(options);
    if (parsed.error.empty()) {
      parsed.error = UploadRefused(options);
    }
  }
  return parsed;
}

std::string UsageText() {
  std::string text(kUsageHead);
  for (const Output& output : Outputs()) {
    if (output.OfferedBy(kOfferedByCli)) {
      text += HelpLines(output.option, output.help);
    }
  }
  return text + std::string(kUsageTail);
}

int UsageError(const std::string& message) {
  const std::string program = kProgramName;
  Print(stderr, program + ": " + message + "\nTry '" + program + " --help' for more information.\n");
  return kExitUsage;
}

}  // namespace mixconv::cli
