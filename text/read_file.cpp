// Reading a whole file named by a Text path. The path is in the ANSI code page (GB18030); file
// names on Linux are UTF-8, so it is converted here, at the edge where it is opened.

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>

#include "text/text.h"

namespace varnelle {

namespace {

std::optional<std::string> ansi_to_file_name(const Text& path) {
  iconv_t converter = iconv_open("UTF-8", "GB18030");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  // A GB18030 character of n bytes becomes at most 3n/2 UTF-8 bytes.
  std::string name(path.size() * 2, '\0');
  char* in = const_cast<char*>(path.data());
  std::size_t in_left = path.size();
  char* out = name.data();
  std::size_t out_left = name.size();
  const std::size_t converted = iconv(converter, &in, &in_left, &out, &out_left);
  iconv_close(converter);
  if (converted == static_cast<std::size_t>(-1)) return std::nullopt;
  name.resize(name.size() - out_left);
  return name;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

Bytes read_file(const Text& path) {
  if (path.empty()) return {};
  const std::optional<std::string> name = ansi_to_file_name(path);
  if (!name) return {};
  // Non-blocking so that naming a FIFO cannot hang the caller; only regular files are read.
  const FileDescriptor file(::open(name->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat status;
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
  // Bytes count in signed 32 bits; a larger file cannot be held.
  if (status.st_size <= 0 || status.st_size > INT_MAX) return {};
  Bytes bytes(static_cast<std::size_t>(status.st_size));
  std::size_t read_so_far = 0;
  while (read_so_far < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + read_so_far, bytes.size() - read_so_far);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    read_so_far += static_cast<std::size_t>(got);
  }
  bytes.resize(read_so_far);
  return bytes;
}

}  // namespace varnelle
