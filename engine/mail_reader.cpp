#include "mail_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "messages.h"
#include "report.h"
#include "run_context.h"

namespace mixconv {

namespace {

std::array<char, kReadBufferSize> ReadBuffer;
int fill = 0;
int position = 0;

constexpr std::int64_t kUnknownPosition = -1;
std::FILE* positionedFile = nullptr;
std::int64_t filePosition = kUnknownPosition;

// One read per chunk of the mail's text; a short read fails the whole chunk.
bool ReadNextChunk(const MailIndexEntry& entry, std::FILE* textFile, std::uint32_t& consumed) {
  const auto chunk =
      static_cast<int>(std::min<std::uint32_t>(entry.length - consumed, kReadBufferSize));
  if (std::fread(ReadBuffer.data(), static_cast<std::size_t>(chunk), 1, textFile) != 1) {
    filePosition = kUnknownPosition;
    ReportFailure(messages::kFileReadError, CurrentRun.programName);
    return false;
  }
  filePosition += chunk;
  fill = chunk;
  position = 0;
  consumed += static_cast<std::uint32_t>(chunk);
  return true;
}

}  // namespace

void BeginTextFile(std::FILE* textFile) {
  positionedFile = textFile;
  filePosition = 0;
}

bool PositionTextFile(std::FILE* textFile, std::int32_t offset) {
  if (offset < 0) {
    return false;
  }
  if (textFile == positionedFile && offset == filePosition) {
    return true;
  }
  if (std::fseek(textFile, offset, SEEK_SET) != 0) {
    filePosition = kUnknownPosition;
    return false;
  }
  positionedFile = textFile;
  filePosition = offset;
  return true;
}

void BeginMail(std::uint32_t& consumed) {
  consumed = 0;
  fill = 0;
  position = 0;
}

int ReadMailLine(char* destination, int capacity, const MailIndexEntry& entry, std::FILE* textFile,
                 std::uint32_t& consumed) {
  if (capacity <= 0) {
    return 0;
  }
  int delivered = 0;
  for (;;) {
    if (position >= fill) {
      if (consumed >= entry.length) {
        return delivered;
      }
      if (!ReadNextChunk(entry, textFile, consumed)) {
        return -1;
      }
    }
    const char* start = ReadBuffer.data() + position;
    const int available = std::min(fill - position, capacity - delivered);
    const auto* lineFeed =
        static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(available)));
    const int taken = lineFeed != nullptr ? static_cast<int>(lineFeed - start) + 1 : available;
    std::memcpy(destination + delivered, start, static_cast<std::size_t>(taken));
    position += taken;
    delivered += taken;
    if (lineFeed != nullptr || delivered == capacity) {
      return delivered;
    }
  }
}

}  // namespace mixconv
