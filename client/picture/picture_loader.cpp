#include "client/picture/picture_loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <vector>

#include "client/picture/bitmap.h"
#include "client/picture/picture_decoders.h"
#include "client/picture/picture_format.h"
#include "client/picture/picture_limits.h"
#include "core/status.h"

namespace hv {

namespace {

class cFileDescriptor {
 public:
  explicit cFileDescriptor(int fd) : fd_(fd) {}
  cFileDescriptor(const cFileDescriptor&) = delete;
  cFileDescriptor& operator=(const cFileDescriptor&) = delete;
  ~cFileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads a whole regular file. O_NONBLOCK keeps a FIFO planted under a picture's name from
// blocking the open; such a file is then refused as not regular.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* contents) {
  const cFileDescriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.get() < 0) return false;
  struct stat status {};
  if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 ||
      static_cast<uint64_t>(status.st_size) > kMaxPictureFileBytes) {
    return false;
  }
  try {
    contents->resize(static_cast<size_t>(status.st_size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t done = 0;
  while (done < contents->size()) {
    const ssize_t count = read(file.get(), contents->data() + done, contents->size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;  // the file shrank under us: decode what there is
    done += static_cast<size_t>(count);
  }
  contents->resize(done);
  return true;
}

}  // namespace

int32_t LoadPictureFromMemory(const uint8_t* data, size_t size, cBitmap* out) {
  if (out == nullptr) return hv::kMissingArgument;
  out->Clear();
  if (data == nullptr) return hv::kCannotOpenFile;
  switch (DetectPictureFormat(data, size)) {
    case ePictureFormat::kJpeg: return DecodeJpegPicture(data, size, out);
    case ePictureFormat::kGif: return DecodeGifPicture(data, size, out);
    case ePictureFormat::kTiff: return DecodeTiffPicture(data, size, out);
    case ePictureFormat::kPng: return DecodePngPicture(data, size, out);
    case ePictureFormat::kBmp: return DecodeBmpPicture(data, size, out);
    case ePictureFormat::kUnknown: break;
  }
  return hv::kCannotOpenFile;
}

int32_t LoadPictureFile(const char* path, cBitmap* out) {
  if (path == nullptr || out == nullptr) return hv::kMissingArgument;
  out->Clear();
  std::vector<uint8_t> contents;
  if (!ReadWholeFile(path, &contents)) return hv::kCannotOpenFile;
  return LoadPictureFromMemory(contents.data(), contents.size(), out);
}

}  // namespace hv
