#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/mail_index.h"
#include "engine/mail_reader.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::testing {
namespace {

// Reads a whole text through ReadMailLine, noting each result and the file position after it.
struct ReadTrace {
  std::vector<int> results;
  std::vector<long> filePositions;
  std::vector<std::string> lines;
};

ReadTrace ReadAll(const std::string& fileBytes, const MailIndexEntry& entry, int capacity) {
  const TempDir dir;
  WriteFileBytes(dir.path() / "T.TXT", fileBytes);
  std::FILE* file = std::fopen((dir.path() / "T.TXT").string().c_str(), "rb");
  std::fseek(file, entry.offset, SEEK_SET);
  std::uint32_t consumed = 0;
  BeginMail(consumed);
  ReadTrace trace;
  std::vector<char> line(static_cast<std::size_t>(std::max(capacity, 1)));
  for (int result = 1; result > 0 && trace.results.size() < 100;) {
    result = ReadMailLine(line.data(), capacity, entry, file, consumed);
    trace.results.push_back(result);
    trace.filePositions.push_back(std::ftell(file));
    trace.lines.emplace_back(line.data(), static_cast<std::size_t>(std::max(result, 0)));
  }
  std::fclose(file);
  return trace;
}

MailIndexEntry Range(std::int32_t offset, std::uint32_t length) {
  MailIndexEntry entry;
  entry.offset = offset;
  entry.length = length;
  return entry;
}

TEST(ReadMailLineTest, SplitsAtLineFeedsAndStopsAtTheEntryLength) {
  const ReadTrace trace = ReadAll("ab\r\ncd\r\nefNEXT MAIL", Range(0, 10), 8192);
  EXPECT_EQ(trace.results, (std::vector<int>{4, 4, 2, 0}));
  EXPECT_EQ(trace.lines[0], "ab\r\n");
  EXPECT_EQ(trace.lines[2], "ef");
  EXPECT_EQ(trace.filePositions.back(), 10);
  EXPECT_EQ(ReadAll("ab\r\n", Range(0, 0), 8192).results, std::vector<int>{0});
  EXPECT_EQ(ReadAll("ab\r\n", Range(0, 4), 0).results, std::vector<int>{0});
}

TEST(ReadMailLineTest, ReadsLongLinesInChunksOfTheBufferSize) {
  const ReadTrace trace = ReadAll(std::string(20000, 'x'), Range(0, 20000), 8192);
  EXPECT_EQ(trace.results, (std::vector<int>{8192, 8192, 3616, 0}));
  EXPECT_EQ(trace.filePositions, (std::vector<long>{8192, 16384, 20000, 20000}));
}

TEST(ReadMailLineTest, LineStraddlingTwoChunksComesBackWhole) {
  const std::string line = std::string(29, 'y') + "\n";
  const std::string text = std::string(8181, 'x') + "\n" + line + "tail";
  const ReadTrace trace = ReadAll(text, Range(0, static_cast<std::uint32_t>(text.size())), 8192);
  ASSERT_GE(trace.lines.size(), 2u);
  EXPECT_EQ(trace.lines[1], line);
}

TEST(ReadMailLineTest, TextEndingBeforeTheEntryIsAReadError) {
  LineCollector collector;
  ActiveResultLog = &collector;
  const ReadTrace trace = ReadAll("abc\r\n", Range(0, 9000), 8192);
  ActiveResultLog = nullptr;
  EXPECT_EQ(trace.results, std::vector<int>{-1});
  EXPECT_EQ(collector.lines.size(), 1u);
}

TEST(MailIndexTest, EntriesAreLittleEndianAndBinaryByAttrOrKind) {
  const unsigned char bytes[kIndexEntrySize] = {0x01, 0x02, 0x03, 0x84, 0x18, 0xFF, 0x02, 0xFF,
                                                0x10, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
  const MailIndexEntry entry = DecodeIndexEntry(bytes);
  EXPECT_EQ(entry.time, static_cast<std::int32_t>(0x84030201));
  EXPECT_EQ(entry.attr, 0x18);
  EXPECT_EQ(entry.kind, 2);
  EXPECT_EQ(entry.offset, 16);
  EXPECT_EQ(entry.length, 256u);

  const auto binary = [](std::uint8_t attr, std::uint8_t kind) {
    MailIndexEntry e;
    e.attr = attr;
    e.kind = kind;
    return IsBinaryMail(e);
  };
  EXPECT_TRUE(binary(0x08, 0));
  EXPECT_TRUE(binary(0x18, 0));
  EXPECT_TRUE(binary(0xF8, 2));
  EXPECT_FALSE(binary(0x09, 0));
  EXPECT_FALSE(binary(0x80, 0));
  EXPECT_TRUE(binary(0x00, 1));
  EXPECT_TRUE(binary(0x00, 3));
  EXPECT_FALSE(binary(0x00, 4));
}

}  // namespace
}  // namespace mixconv::testing
