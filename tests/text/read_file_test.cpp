#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "text/text.h"

namespace varnelle {
namespace {

namespace fs = std::filesystem;

class ReadFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "read_file_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path write(const fs::path& name, const Bytes& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()),
               static_cast<std::streamsize>(content.size()));
    return path;
  }

  fs::path dir_;
};

TEST_F(ReadFileTest, ReadsTheWholeFileWithEveryByteValue) {
  Bytes content(70000);
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_EQ(read_file(write("image.png", content).string()), content);
}

TEST_F(ReadFileTest, GivesEmptyBytesForEveryFailure) {
  write("empty.bin", {});
  EXPECT_EQ(read_file(""), Bytes{});
  EXPECT_EQ(read_file((dir_ / "missing.png").string()), Bytes{});
  EXPECT_EQ(read_file((dir_ / "empty.bin").string()), Bytes{});
  EXPECT_EQ(read_file(dir_.string()), Bytes{});
}

TEST_F(ReadFileTest, DoesNotWaitOnAFifo) {
  const fs::path fifo = dir_ / "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(read_file(fifo.string()), Bytes{});
}

TEST_F(ReadFileTest, OpensANameGivenInTheAnsiCodePage) {
  // "测试.bin" is stored under its UTF-8 name and asked for by its GB18030 bytes.
  const Bytes content{'q', 'r'};
  write(std::string("\xE6\xB5\x8B\xE8\xAF\x95.bin"), content);
  EXPECT_EQ(read_file((dir_ / "").string() + "\xB2\xE2\xCA\xD4.bin"), content);
}

}  // namespace
}  // namespace varnelle
