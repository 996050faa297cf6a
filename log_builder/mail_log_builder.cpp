#include "log_builder/mail_log_builder.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mixconv::log_builder {

namespace {

constexpr std::string_view kPreamble{"MIXLOG\x01\x00\x00\x00", 10};
constexpr std::int32_t kSecondsPerDay = 24 * 60 * 60;

void PutLittleEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

}  // namespace

MailLogBuilder& MailLogBuilder::AddMail(std::uint8_t kind, std::string_view text, std::int32_t time,
                                        std::uint8_t attr) {
  entries_.push_back({time, attr, kind, static_cast<std::int32_t>(text_.size()),
                      static_cast<std::uint32_t>(text.size())});
  text_.append(text);
  return *this;
}

MailLogBuilder& MailLogBuilder::AddEntry(const IndexEntry& entry) {
  entries_.push_back(entry);
  return *this;
}

MailLogBuilder& MailLogBuilder::AppendText(std::string_view bytes) {
  text_.append(bytes);
  return *this;
}

MailLogBuilder& MailLogBuilder::ClaimCount(std::uint32_t count) {
  claimedCount_ = count;
  return *this;
}

MailLogBuilder MailLogBuilder::Repeated(int copies, std::int32_t timeStep) const {
  MailLogBuilder repeated;
  for (int copy = 0; copy < copies; ++copy) {
    const auto shift = static_cast<std::int32_t>(repeated.text_.size());
    for (IndexEntry entry : entries_) {
      entry.offset += shift;
      entry.time += copy * timeStep;
      repeated.entries_.push_back(entry);
    }
    repeated.text_ += text_;
  }
  return repeated;
}

std::string MailLogBuilder::IndexBytes() const {
  std::string index(kPreamble);
  PutLittleEndian32(index, claimedCount_.value_or(static_cast<std::uint32_t>(entries_.size())));
  for (const IndexEntry& entry : entries_) {
    PutLittleEndian32(index, static_cast<std::uint32_t>(entry.time));
    index.push_back(static_cast<char>(entry.attr));
    index.push_back('\0');
    index.push_back(static_cast<char>(entry.kind));
    index.push_back('\0');
    PutLittleEndian32(index, static_cast<std::uint32_t>(entry.offset));
    PutLittleEndian32(index, entry.length);
    index.append(8, '\0');
  }
  return index;
}

void MailLogBuilder::WriteFiles(const std::filesystem::path& base) const {
  WriteFileBytes(base.string() + ".MIX", IndexBytes());
  WriteFileBytes(base.string() + ".TXT", text_);
}

int WriteLogMain(int argc, char** argv, const char* tool, MailLogBuilder (*makeLog)()) {
  const int copies = argc == 3 ? std::atoi(argv[2]) : 1;
  if (argc < 2 || argc > 3 || copies < 1) {
    std::fprintf(stderr, "usage: %s BASE [COPIES]\n", tool);
    return 2;
  }
  try {
    // A day between copies keeps every mail's date its own.
    makeLog().Repeated(copies, kSecondsPerDay).WriteFiles(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", tool, error.what());
    return 1;
  }
  return 0;
}

std::string CrLfLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const std::string_view line : lines) {
    text.append(line).append("\r\n");
  }
  return text;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

}  // namespace mixconv::log_builder
