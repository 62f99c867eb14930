#include "platform/image/image_file.h"

#include <Magick++.h>

#include <QSaveFile>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

namespace tendrel {

namespace {

namespace gm = MagickLib;

// QImage's 32-bit formats keep each pixel as one native-endian 0xAARRGGBB
// word, so their byte order in memory depends on the machine.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr char kMapWithAlpha[] = "BGRA";
constexpr char kMapOpaque[] = "BGRP";
#else
constexpr char kMapWithAlpha[] = "ARGB";
constexpr char kMapOpaque[] = "PRGB";
#endif

// Status given when the library failed without saying why.
constexpr int kUnknownFailure = -1;

void EnsureMagick() {
  static std::once_flag once;
  std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

// An ExceptionInfo that is always released.
class Exception {
 public:
  Exception() { gm::GetExceptionInfo(&info_); }
  ~Exception() { gm::DestroyExceptionInfo(&info_); }
  Exception(const Exception&) = delete;
  Exception& operator=(const Exception&) = delete;
  gm::ExceptionInfo* get() { return &info_; }
  int severity() const { return static_cast<int>(info_.severity); }
  // Warnings (a JPEG with a missing end marker, an unknown TIFF tag) leave a
  // usable image; only errors count as failures.
  bool failed() const { return info_.severity >= gm::ErrorException; }
  // "reason (description)", as the library's own tools print it.
  std::string Message() const {
    std::string text = info_.reason ? info_.reason : "";
    if (info_.description && *info_.description) {
      if (!text.empty()) text += " ";
      text.append("(").append(info_.description).append(")");
    }
    return text;
  }

 private:
  gm::ExceptionInfo info_;
};

struct ImageInfoDeleter {
  void operator()(gm::ImageInfo* info) const { gm::DestroyImageInfo(info); }
};
using ImageInfoPtr = std::unique_ptr<gm::ImageInfo, ImageInfoDeleter>;

ImageInfoPtr NewImageInfo() { return ImageInfoPtr(gm::CloneImageInfo(nullptr)); }

bool CopyName(char (&dest)[MaxTextExtent], const std::string& text) {
  if (text.size() >= MaxTextExtent) return false;
  std::memcpy(dest, text.c_str(), text.size() + 1);
  return true;
}

ImageRead Failure(int status, std::string message) {
  ImageRead r;
  r.status = status != 0 ? status : kUnknownFailure;
  r.error = std::move(message);
  return r;
}

// Builds the library's image from the QImage's pixels in one pass.
Magick::Image ToMagick(const QImage& source, std::string& error) {
  const bool alpha = source.hasAlphaChannel();
  const QImage pixels =
      source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (pixels.isNull()) {
    error = "Memory allocation failed (image of " + std::to_string(source.width()) + "x" +
            std::to_string(source.height()) + " pixels)";
    return Magick::Image();
  }
  Exception ex;
  // 32-bit QImage rows have no padding, so the buffer is one pixel array.
  gm::Image* image = gm::ConstituteImage(static_cast<unsigned long>(pixels.width()),
                                         static_cast<unsigned long>(pixels.height()),
                                         alpha ? kMapWithAlpha : kMapOpaque, gm::CharPixel,
                                         pixels.constBits(), ex.get());
  if (!image || ex.failed()) {
    if (image) gm::DestroyImage(image);
    error = ex.Message();
    if (error.empty()) error = "Unable to convert the image";
    return Magick::Image();
  }
  return Magick::Image(image);  // takes ownership
}

std::string WriteAs(const QImage& source, const std::string& path, const char* magick,
                    int quality) {
  if (source.isNull()) return "No image to write (" + path + ")";
  EnsureMagick();
  std::string error;
  Magick::Image image = ToMagick(source, error);
  if (!error.empty()) return error;

  ImageInfoPtr info = NewImageInfo();
  if (!info) return "Memory allocation failed";
  // The format is named outright and the blob is written by us, so the file
  // name is never parsed by the library (no "gif:" prefixes or "[0]" scenes).
  CopyName(info->magick, magick);
  gm::Image* raw = image.image();
  CopyName(raw->magick, magick);
  if (quality > 0) info->quality = static_cast<unsigned long>(quality);

  Exception ex;
  size_t length = 0;
  void* blob = gm::ImageToBlob(info.get(), raw, &length, ex.get());
  std::unique_ptr<void, void (*)(void*)> owned(blob, gm::MagickFree);
  if (!blob || ex.failed() || length == 0) {
    std::string message = ex.Message();
    if (message.empty() && raw->exception.severity >= gm::ErrorException && raw->exception.reason)
      message = raw->exception.reason;
    return message.empty() ? "Unable to write image (" + path + ")" : message;
  }

  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(static_cast<const char*>(blob), static_cast<qint64>(length)) !=
          static_cast<qint64>(length) ||
      !file.commit()) {
    return "Unable to write file (" + path + "): " + file.errorString().toStdString();
  }
  return {};
}

}  // namespace

ImageRead ReadImageFile(const std::string& path) {
  EnsureMagick();
  ImageInfoPtr info = NewImageInfo();
  if (!info) return Failure(gm::ResourceLimitError, "Memory allocation failed");
  if (!CopyName(info->filename, path))
    return Failure(gm::FileOpenError, "Unable to open file (file name too long)");
  // Only the first frame of an animation or a multi-page file.
  info->subimage = 0;
  info->subrange = 1;

  Exception ex;
  gm::Image* list = gm::ReadImage(info.get(), ex.get());
  if (!list || ex.failed()) {
    if (list) gm::DestroyImageList(list);
    std::string message = ex.Message();
    if (message.empty()) message = "Unable to read image (" + path + ")";
    return Failure(ex.failed() ? ex.severity() : kUnknownFailure, std::move(message));
  }
  // Anything after the first frame is not wanted.
  if (list->next) {
    gm::Image* rest = list->next;
    list->next = nullptr;
    rest->previous = nullptr;
    gm::DestroyImageList(rest);
  }
  // CMYK JPEGs and TIFFs keep their inks in the pixel channels; turn them
  // into red, green and blue before the pixels are copied out.
  {
    using namespace MagickLib;  // the test below is a macro naming colourspaces unqualified
    if (!IsRGBCompatibleColorspace(list->colorspace)) TransformColorspace(list, RGBColorspace);
  }
  Magick::Image image(list);  // takes ownership

  const gm::Image* raw = image.constImage();
  const unsigned long width = raw->columns, height = raw->rows;
  const bool alpha = raw->matte != 0;
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
    return Failure(gm::CorruptImageError, "Image has no pixels (" + path + ")");
  QImage out(static_cast<int>(width), static_cast<int>(height),
             alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (out.isNull())
    return Failure(gm::ResourceLimitError,
                   "Memory allocation failed (image of " + std::to_string(width) + "x" +
                       std::to_string(height) + " pixels)");

  // One call copies every pixel: 32-bit rows have no padding.
  Exception dispatch;
  if (gm::DispatchImage(raw, 0, 0, width, height, kMapWithAlpha, gm::CharPixel, out.bits(),
                        dispatch.get()) != MagickPass) {
    std::string message = dispatch.Message();
    if (message.empty()) message = "Unable to read image pixels (" + path + ")";
    return Failure(dispatch.failed() ? dispatch.severity() : kUnknownFailure,
                   std::move(message));
  }
  if (!alpha) {
    // The library leaves the opacity of an image without alpha undefined;
    // RGB32 needs every alpha byte at 0xFF.
    auto* pixel = reinterpret_cast<quint32*>(out.bits());
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) pixel[i] |= 0xFF000000u;
  }
  ImageRead r;
  r.image = std::move(out);
  return r;
}

std::string WriteGif(const QImage& image, const std::string& path) {
  return WriteAs(image, path, "GIF", 0);
}

std::string WriteJpeg(const QImage& image, const std::string& path, int quality) {
  return WriteAs(image, path, "JPEG", std::clamp(quality, 1, 100));
}

}  // namespace tendrel
