// The pieces a request goes through before any decoding: multipart and form bodies, upload
// paths, the session cookie, and the JSON the replies are written in.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "service/form_fields.h"
#include "service/json_reply.h"
#include "service/multipart.h"
#include "service/session.h"
#include "service/upload_store.h"

namespace varnelle::service {
namespace {

using namespace std::string_literals;

constexpr std::string_view kBoundary = "---------------------------15960252185333";

struct MultipartCase {
  const char* label;
  std::string body;
  bool well_formed;
  std::vector<std::pair<std::string, std::string>> parts;  // name, content
};

TEST(ServiceMultipart, ReadsWhatSendersSend) {
  const std::string open = "-----------------------------15960252185333\r\n";
  const std::string close = "\r\n-----------------------------15960252185333--";
  const std::string head =
      "Content-Disposition: form-data; name=\"Filedata\"; filename=\"a.png\"\r\n"
      "Content-Type: image/png\r\n\r\n";
  const std::vector<MultipartCase> cases = {
      {"no line break after the closing delimiter", open + head + "PIC" + close, true,
       {{"Filedata", "PIC"}}},
      {"a line break after it", open + head + "PIC" + close + "\r\n", true, {{"Filedata", "PIC"}}},
      {"content holding CRLF and dashes", open + head + "A\r\n--B\r\n" + close, true,
       {{"Filedata", "A\r\n--B\r\n"}}},
      {"empty content", open + head + close, true, {{"Filedata", ""}}},
      {"a preamble", "junk\r\n" + open + head + "P" + close, true, {{"Filedata", "P"}}},
      {"two fields, lower-case header",
       open + "content-disposition: form-data; name=note\r\n\r\nhi\r\n" + open + head + "X" +
           close,
       true, {{"note", "hi"}, {"Filedata", "X"}}},
      {"a file name with a quote and a semicolon",
       open + "Content-Disposition: form-data; name=\"Filedata\"; filename=\"a\";b\".png\"\r\n\r\nQ" +
           close,
       true, {{"Filedata", "Q"}}},
      {"no closing delimiter", open + head + "PIC", false, {}},
      {"closing delimiter without its dashes", open + head + "PIC\r\n--" + std::string(kBoundary), false,
       {}},
      {"no header end", open + "Content-Disposition: form-data; name=\"Filedata\"" + close, false,
       {}},
      {"another boundary", "--other\r\n" + head + "PIC\r\n--other--", false, {}},
      {"empty body", "", false, {}},
  };
  for (const MultipartCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto parts = parse_multipart(c.body, kBoundary);
    ASSERT_EQ(parts.has_value(), c.well_formed);
    if (!parts) continue;
    ASSERT_EQ(parts->size(), c.parts.size());
    for (std::size_t i = 0; i < c.parts.size(); ++i) {
      EXPECT_EQ((*parts)[i].name, c.parts[i].first);
      EXPECT_EQ((*parts)[i].content, c.parts[i].second);
    }
  }
}

TEST(ServiceMultipart, BoundaryComesOnlyFromFormData) {
  EXPECT_EQ(multipart_boundary("multipart/form-data; boundary=" + std::string(kBoundary)),
            std::string(kBoundary));
  EXPECT_EQ(multipart_boundary("Multipart/Form-Data; charset=x; Boundary=\"a b\""), "a b");
  EXPECT_FALSE(multipart_boundary("multipart/mixed; boundary=x"));
  EXPECT_FALSE(multipart_boundary("multipart/form-data"));
  EXPECT_FALSE(multipart_boundary("multipart/form-data; boundary=" + std::string(71, 'x')));
  EXPECT_FALSE(multipart_boundary("image/png"));
}

TEST(ServiceFormFields, DecodesTheFirstFieldOfTheName) {
  EXPECT_EQ(form_field("img=%2Fu%2Fab.png", "img").value, "/u/ab.png");
  EXPECT_EQ(form_field("x=1&img=a+b%41&img=second", "img").value, "a bA");
  EXPECT_EQ(form_field("img=", "img").value, "");
  EXPECT_FALSE(form_field("image=1", "img").value);
  EXPECT_EQ(form_field("image=1", "img").error, FormError::missing);
  EXPECT_EQ(form_field("img=%2", "img").error, FormError::malformed);
  EXPECT_EQ(form_field("img=%zz", "img").error, FormError::malformed);
}

TEST(ServiceUploadPaths, OnlyTheStoreOwnFormIsAHandle) {
  const std::string handle(32, 'a');
  EXPECT_EQ(handle_of_path("/u/" + handle + ".png"), handle);
  EXPECT_EQ(handle_of_path("/u/" + handle + ".jpg"), handle);
  for (const std::string& path : std::vector<std::string>{"../../etc/passwd", "/etc/passwd", "/u/../../etc/passwd",
                           "/u/" + handle + ".png/../../x", "/u/" + handle + "/../a.png",
                           "/u/" + std::string(32, 'A') + ".png", "/u/" + handle,
                           "/u/" + handle + ".p", "/u/" + handle + ".png\0x"s,
                           "/u/" + handle + "..png", "//u/" + handle + ".png",
                           "/u/%2e%2e/" + handle + ".png", "u/" + handle + ".png", ""}) {
    EXPECT_FALSE(handle_of_path(path)) << path;
  }
}

TEST(ServiceSession, TokensAreFreshAndCookiesCarryThem) {
  std::string a = random_token(), b = random_token();
  EXPECT_TRUE(is_token(a));
  EXPECT_NE(a, b);
  EXPECT_EQ(session_cookie(a), "vsid=" + a + "; HttpOnly; Secure; SameSite=Lax; Path=/");
  EXPECT_EQ(session_from_cookies({"other=1; vsid=" + a}), a);
  EXPECT_EQ(session_from_cookies({"x=1", " vsid = " + a + " ;y=2"}), a);
  EXPECT_FALSE(session_from_cookies({"vsid=not-ours"}));
  EXPECT_FALSE(session_from_cookies({"xvsid=" + a}));
  EXPECT_FALSE(session_from_cookies({}));
}

TEST(ServiceJsonReply, IsAsciiAndParsesBackToTheText) {
  const std::string text = "https://例え.jp/?q=\"x\"\\\n\t\x01 \xF0\x9F\x98\x80 中文";
  std::string quoted = json_quote(text);
  for (unsigned char c : quoted) EXPECT_LT(c, 0x80);
  EXPECT_NE(quoted.find("\\ud83d\\ude00"), std::string::npos);
  std::string reply = decode_reply(200, "ok", {text, "two"});
  auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(reply)).object();
  EXPECT_EQ(doc["code"].toInt(), 200);
  EXPECT_EQ(doc["info"].toObject()["data"].toArray().at(0).toString().toStdString(), text);
  EXPECT_EQ(doc["info"].toObject()["data"].toArray().at(1).toString(), "two");
}

TEST(ServiceJsonReply, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(json_quote("a\xFF\xC0\x80" "b\xE4\xB8"), "\"a\\ufffd\\ufffd\\ufffdb\\ufffd\\ufffd\"");
  EXPECT_EQ(json_quote("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");  // a surrogate
}

TEST(ServiceJsonReply, ShapesOfTheReplies) {
  EXPECT_EQ(upload_reply(200, "ok", "/u/x.png"),
            R"({"code":200,"msg":"ok","data":{"path":"/u/x.png"}})");
  EXPECT_EQ(upload_reply(403, "unknown client id"),
            R"({"code":403,"msg":"unknown client id","data":null})");
  EXPECT_EQ(decode_reply(200, "no QR code found"),
            R"({"code":200,"msg":"no QR code found","info":{"data":[]}})");
  EXPECT_EQ(error_reply(404, "no such path"), R"({"code":404,"msg":"no such path"})");
}

}  // namespace
}  // namespace varnelle::service
