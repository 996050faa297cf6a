// The upload's own share of IMAP, where a real server would hide a fault: the
// address the user types, folder names on the wire, responses cut anywhere by
// the network, Message-IDs as both sides write them, and dates.
#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "imap/append_pipeline.h"
#include "imap/imap_response.h"
#include "imap/imap_session.h"
#include "imap/imap_url.h"
#include "imap/message_id_field.h"
#include "imap/modified_utf7.h"
#include "tests/support/conversion_harness.h"

namespace mixconv::imap {
namespace {

struct UrlCase {
  const char* url;
  bool implicitTls;
  const char* user;
  const char* host;
  int port;
  const char* folder;
};

TEST(ImapUrlTest, AddressesAsUsersWriteThem) {
  const UrlCase cases[] = {
      {"imaps://taro@mail.example.jp/Old", true, "taro", "mail.example.jp", 0, "Old"},
      {"IMAP://taro@localhost:1143/Old", false, "taro", "localhost", 1143, "Old"},
      {"imaps://taro%40gmail.com@imap.gmail.com/Old%20mail", true, "taro@gmail.com",
       "imap.gmail.com", 0, "Old mail"},
      {"imaps://taro@gmail.com@imap.gmail.com:993/a/b c", true, "taro@gmail.com",
       "imap.gmail.com", 993, "a/b c"},
      {"imaps://u@[::1]:993/古いメール/2001年", true, "u", "::1", 993, "古いメール/2001年"},
      {"imaps://u@host/%E5%8F%A4", true, "u", "host", 0, "古"},
  };
  for (const UrlCase& c : cases) {
    const ParsedImapUrl parsed = ParseImapUrl(c.url);
    ASSERT_TRUE(parsed.address) << c.url << ": " << parsed.error;
    EXPECT_EQ(parsed.address->implicitTls, c.implicitTls) << c.url;
    EXPECT_EQ(parsed.address->user, c.user) << c.url;
    EXPECT_EQ(parsed.address->host, c.host) << c.url;
    EXPECT_EQ(parsed.address->port, c.port) << c.url;
    EXPECT_EQ(parsed.address->folder, c.folder) << c.url;
  }
  EXPECT_EQ(ServerUrl(*ParseImapUrl("imaps://u@[::1]:993/f").address), "imaps://[::1]:993/");
  EXPECT_EQ(ServerUrl(*ParseImapUrl("imap://u@h/f").address), "imap://h/");
}

TEST(ImapUrlTest, WhatIsNoAddressIsRefusedWithWhy) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://u@host/f", "must start with imaps:// or imap://"},
      {"imaps://host/f", "names no user"},
      {"imaps://@host/f", "names no user"},
      {"imaps://u@/f", "names no host"},
      {"imaps://u@host:0/f", "port"},
      {"imaps://u@host:65536/f", "port"},
      {"imaps://u@host:99x/f", "port"},
      {"imaps://u@[::1/f", "closing ']'"},
      {"imaps://u@host", "names no folder"},
      {"imaps://u@host/", "names no folder"},
      {"imaps://u@host/a%4", "'%'"},
      {"imaps://u@host/a%zz", "'%'"},
      {"imaps://u@host/a%0D%0ALOGOUT", "control characters"},
      {"imaps://u@host/%FF", "UTF-8"},
  };
  for (const auto& [url, why] : cases) {
    const ParsedImapUrl parsed = ParseImapUrl(url);
    EXPECT_FALSE(parsed.address) << url;
    EXPECT_NE(parsed.error.find(why), std::string::npos) << url << ": " << parsed.error;
  }
}

TEST(ImapUrlTest, OnlyThisMachineIsLoopback) {
  for (const char* host : {"localhost", "LOCALHOST", "127.0.0.1", "127.1.2.3", "::1"}) {
    EXPECT_TRUE(IsLoopbackHost(host)) << host;
  }
  for (const char* host : {"127.example.jp", "localhost.example.jp", "10.0.0.1", "::2",
                           "128.0.0.1", "mail.example.jp"}) {
    EXPECT_FALSE(IsLoopbackHost(host)) << host;
  }
}

TEST(ModifiedUtf7Test, FolderNamesOnTheWire) {
  const std::pair<const char*, const char*> cases[] = {
      {"INBOX", "INBOX"},
      {"Tom & Jerry", "Tom &- Jerry"},
      {"~peter/mail/日本語/台北", "~peter/mail/&ZeVnLIqe-/&U,BTFw-"},
      {"古いメール", "&U+QwRDDhMPww6w-"},
      {"Entwürfe", "Entw&APw-rfe"},
      {"😀", "&2D3eAA-"},
      {"a\tb", "a&AAk-b"},
  };
  for (const auto& [utf8, wire] : cases) {
    EXPECT_EQ(ModifiedUtf7(utf8), wire) << utf8;
  }
}

TEST(ModifiedUtf7Test, LevelsTakeTheServersSeparatorAndNamesAreQuoted) {
  EXPECT_EQ(FolderOnServer("古いメール/2001年", '.'), "古いメール.2001年");
  EXPECT_EQ(FolderOnServer("a/b", '/'), "a/b");
  EXPECT_EQ(FolderOnServer("a/b", std::nullopt), "a/b");
  EXPECT_EQ(Quoted(R"(Tom "T" \ Jerry)"), R"("Tom \"T\" \\ Jerry")");
}

TEST(MessageIdFieldTest, ReadAlikeFromMessagesAndFetchedFields) {
  const std::pair<const char*, const char*> cases[] = {
      {"Subject: a\nMessage-ID: <a1@mixconv.invalid>\n\nbody\n", "<a1@mixconv.invalid>"},
      {"MESSAGE-id:   <x@y>  \r\n\r\n", "<x@y>"},
      {"Message-ID:\r\n <folded@example.com>\r\nTo: b\r\n\r\n", "<folded@example.com>"},
      {"Message-ID: no-brackets \r\n\r\n", "no-brackets"},
      {"X-Message-ID: <not@this>\nSubject: s\n\nMessage-ID: <in@body>\n", ""},
      {"Subject: s\r\n\r\n", ""},
      {"\r\n", ""},
      {"Message-ID: <first@a>\nMessage-ID: <second@a>\n\n", "<first@a>"},
  };
  for (const auto& [message, id] : cases) {
    EXPECT_EQ(MessageIdOf(message), id) << message;
  }
}

// The server's responses, as one stream, cut at every place the network may cut it.
TEST(ResponseReaderTest, ResponsesCutAnywhereComeWhole) {
  const std::string stream =
      "* OK [CAPABILITY IMAP4rev1 LITERAL+] ready\r\n"
      "* 2 FETCH (UID 7 BODY[HEADER.FIELDS (MESSAGE-ID)] {26}\r\n"
      "Message-ID: <a@b>\r\n\r\n{3}\r\n"
      ")\r\n"
      "+ go ahead\r\n"
      "m12 NO [OVERQUOTA] Quota exceeded\r\n";
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    ResponseReader reader;
    std::vector<ImapResponse> responses;
    for (const std::string_view piece :
         {std::string_view(stream).substr(0, cut), std::string_view(stream).substr(cut)}) {
      reader.Feed(piece);
      while (std::optional<ImapResponse> response = reader.Next()) {
        responses.push_back(std::move(*response));
      }
    }
    ASSERT_EQ(responses.size(), 4u) << "cut at " << cut;
    EXPECT_EQ(responses[0].Tag(), "*");
    EXPECT_EQ(responses[0].Word(), "OK");
    EXPECT_EQ(responses[1].Word(), "2");
    EXPECT_EQ(responses[1].literals,
              (std::vector<std::string>{"Message-ID: <a@b>\r\n\r\n{3}\r\n"}));
    EXPECT_EQ(responses[1].text, "* 2 FETCH (UID 7 BODY[HEADER.FIELDS (MESSAGE-ID)] {26})");
    EXPECT_EQ(responses[2].Tag(), "+");
    EXPECT_EQ(responses[3].Tag(), "m12");
    EXPECT_EQ(responses[3].Word(), "NO");
    EXPECT_EQ(responses[3].Rest(), "[OVERQUOTA] Quota exceeded");
  }
}

TEST(InternalDateTest, TheMailsDateInTheLocalZone) {
  const struct {
    const char* zone;
    std::int32_t seconds;
    const char* date;
  } cases[] = {
      {"JST-9", 992503440, "14-Jun-2001 16:24:00 +0900"},
      {"UTC0", 992503440, "14-Jun-2001 07:24:00 +0000"},
      {"EST5", 978307200, "31-Dec-2000 19:00:00 -0500"},
      {"IST-5:30", 978307200, "01-Jan-2001 05:30:00 +0530"},
  };
  for (const auto& c : cases) {
    ::setenv("TZ", c.zone, 1);
    ::tzset();
    EXPECT_EQ(InternalDate(c.seconds), c.date) << c.zone;
  }
  testing::PinTimeZone();
}

}  // namespace
}  // namespace mixconv::imap
