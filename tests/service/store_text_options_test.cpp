// The upload store's rules, the reading of code texts, and the command line.

#include <gtest/gtest.h>


#include "platform/codepage.h"
#include "service/options.h"
#include "service/qr_text.h"
#include "service/upload_store.h"

namespace varnelle::service {
namespace {

using namespace std::chrono_literals;
using Clock = UploadStore::Clock;

std::vector<std::uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ServiceUploadStore, HandsAnUploadOnceAndOnlyToItsSession) {
  UploadStore store(1 << 20, 600s);
  auto path = store.put("session-a", bytes_of("PIC"), "png");
  ASSERT_TRUE(path);
  EXPECT_TRUE(handle_of_path(*path));
  EXPECT_TRUE(path->ends_with(".png"));
  EXPECT_FALSE(store.take(*path, "session-b"));
  EXPECT_FALSE(store.take(*path, ""));
  std::string other_extension = path->substr(0, path->size() - 3) + "jpg";
  EXPECT_FALSE(store.take(other_extension, "session-a"));
  EXPECT_EQ(store.take(*path, "session-a"), bytes_of("PIC"));
  EXPECT_FALSE(store.take(*path, "session-a"));
  EXPECT_EQ(store.count(), 0u);
  EXPECT_EQ(store.size_bytes(), 0u);
}

TEST(ServiceUploadStore, UploadsWithoutSessionGoToCallersWithoutOne) {
  UploadStore store(1 << 20, 600s);
  auto path = store.put("", bytes_of("PIC"), "bin");
  EXPECT_FALSE(store.take(*path, "someone"));
  EXPECT_TRUE(store.take(*path, ""));
}

TEST(ServiceUploadStore, UploadsExpire) {
  UploadStore store(1 << 20, 10s);
  const Clock::time_point t0{};
  auto early = store.put("s", bytes_of("1"), "png", t0);
  auto late = store.put("s", bytes_of("2"), "png", t0 + 5s);
  EXPECT_FALSE(store.take(*early, "s", t0 + 10s));
  EXPECT_EQ(store.count(), 1u);
  EXPECT_TRUE(store.take(*late, "s", t0 + 14s));
}

TEST(ServiceUploadStore, KeepsWithinItsCap) {
  const std::size_t each = 1000 + UploadStore::kOverheadBytes;
  UploadStore store(3 * each, 10s);
  const Clock::time_point t0{};
  std::vector<std::string> paths;
  for (int i = 0; i < 3; ++i) paths.push_back(*store.put("s", std::vector<std::uint8_t>(1000), "png", t0));
  EXPECT_FALSE(store.put("s", std::vector<std::uint8_t>(1000), "png", t0));
  EXPECT_EQ(store.size_bytes(), 3 * each);
  // Room comes back when one is taken, and when they expire.
  EXPECT_TRUE(store.take(paths[0], "s", t0));
  EXPECT_TRUE(store.put("s", std::vector<std::uint8_t>(1000), "png", t0));
  EXPECT_FALSE(store.put("s", std::vector<std::uint8_t>(1), "png", t0 + 1s));
  EXPECT_TRUE(store.put("s", std::vector<std::uint8_t>(2000), "png", t0 + 10s));
  EXPECT_LE(store.size_bytes(), 3 * each);
}

// GBK bytes: the ANSI code page holds every GBK text in the same bytes.
std::string gbk(std::string_view utf8) { return platform::utf8_to_ansi(utf8); }

TEST(ServiceQrText, Utf8StaysAndEverythingElseIsGb18030) {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const std::vector<Case> cases = {
      {"https://example.com/a?b=1", "https://example.com/a?b=1"},
      {"中文测试 ok", "中文测试 ok"},
      {gbk("中文测试 ok"), "中文测试 ok"},
      {gbk("二维码"), "二维码"},
      {"\x81\x30\x81\x30", "\xC2\x80"},                // a four-byte GB18030 sequence
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},              // not GB18030 either
      {"abc\x81", "abc\xEF\xBF\xBD"},                  // cut short
      {"", ""},
  };
  for (const Case& c : cases) {
    auto in = bytes_of(c.bytes);
    EXPECT_EQ(unmarked_text_to_utf8(in), c.utf8) << c.bytes;
  }
}

TEST(ServiceQrText, Utf8ValidationIsStrict) {
  EXPECT_TRUE(is_valid_utf8("a\xC2\x80\xE4\xB8\xAD\xF0\x9F\x98\x80"));
  for (std::string bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xE4\xB8", "\x80", "\xFE"}) {
    EXPECT_FALSE(is_valid_utf8(bad)) << bad;
  }
}

struct OptionsCase {
  std::vector<std::string> args;
  std::string error_part;  // empty: accepted
};

TEST(ServiceOptions, DefaultsServeLoopbackWithTheLocalCa) {
  ParsedOptions parsed = parse_options({}, "/state");
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.listen, "127.0.0.1");
  EXPECT_EQ(parsed.options.port, kDefaultPort);
  EXPECT_EQ(parsed.options.client_id, "varnelle");
  EXPECT_TRUE(parsed.options.cert_file.empty());
  EXPECT_EQ(parsed.options.state_dir, "/state");
  EXPECT_EQ(default_state_dir("/x", "/home/u"), "/x/varnelle-service");
  EXPECT_EQ(default_state_dir("relative", "/home/u"), "/home/u/.local/state/varnelle-service");
  EXPECT_EQ(default_state_dir("", ""), "");
}

TEST(ServiceOptions, ReadsEveryOption) {
  ParsedOptions parsed = parse_options(
      {"--listen", "::1", "--port=0", "--client-id", "team-a", "--cert", "c.pem", "--key=k.pem",
       "--state-dir", "/s", "--max-upload", "1M", "--store-cap=8M", "--expire", "30",
       "--threads", "4"},
      "/state");
  ASSERT_EQ(parsed.error, "");
  const ServiceOptions& o = parsed.options;
  EXPECT_EQ(o.listen, "::1");
  EXPECT_EQ(o.port, 0);
  EXPECT_EQ(o.client_id, "team-a");
  EXPECT_EQ(o.cert_file, "c.pem");
  EXPECT_EQ(o.key_file, "k.pem");
  EXPECT_EQ(o.state_dir, "/s");
  EXPECT_EQ(o.max_upload, 1u << 20);
  EXPECT_EQ(o.store_cap, 8u << 20);
  EXPECT_EQ(o.expire, std::chrono::seconds(30));
  EXPECT_EQ(o.threads, 4);
  EXPECT_TRUE(parse_options({"--help"}, "/state").show_help);
}

TEST(ServiceOptions, RefusesWhatCannotWork) {
  const std::vector<OptionsCase> cases = {
      {{"--listen", "0.0.0.0"}, "not a loopback"},
      {{"--listen", "192.168.1.2"}, "not a loopback"},
      {{"--listen", "0.0.0.0", "--allow-remote"}, ""},
      {{"--listen", "127.0.0.2"}, ""},
      {{"--port", "65536"}, "--port"},
      {{"--port", "-1"}, "--port"},
      {{"--port"}, "needs a value"},
      {{"--client-id", "a b"}, "--client-id"},
      {{"--client-id", "<x>"}, "--client-id"},
      {{"--cert", "c.pem"}, "go together"},
      {{"--max-upload", "12X"}, "--max-upload"},
      {{"--max-upload", "100"}, "at least 1024"},
      {{"--max-upload", "20M", "--store-cap", "10M"}, "--store-cap"},
      {{"--expire", "0"}, "--expire"},
      {{"--threads", "0"}, "--threads"},
      {{"--frobnicate"}, "unknown option"},
  };
  for (const OptionsCase& c : cases) {
    std::string error = parse_options(c.args, "/state").error;
    if (c.error_part.empty()) {
      EXPECT_EQ(error, "") << c.args[0];
    } else {
      EXPECT_NE(error.find(c.error_part), std::string::npos) << c.args[0] << ": " << error;
    }
  }
  EXPECT_NE(parse_options({}, "").error.find("state folder"), std::string::npos);
}

TEST(ServiceOptions, HelpNamesEveryOption) {
  const std::string help = usage_text();
  for (const char* option : {"--listen", "--allow-remote", "--port", "--client-id", "--cert",
                             "--key", "--state-dir", "--max-upload", "--store-cap", "--expire",
                             "--threads", "--help", "8443"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace varnelle::service
