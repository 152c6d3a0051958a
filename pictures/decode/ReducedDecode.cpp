// Reduced decoding of PNG (libpng, row by row), WebP (libwebp's scaling) and
// JPEG thumbnails (libjpeg's eighths).
#include "pictures/decode/ReducedDecode.h"

#include <jpeglib.h>
#include <png.h>
#include <webp/decode.h>

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>
#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <optional>
#include <vector>

namespace decode {
namespace {

// Sums of the pixels of each box, laid on white, and the reduced picture
// they make. A non-interlaced PNG needs one row of boxes at a time; an
// interlaced one sends each box's pixels over seven passes, so every box is
// kept until the end.
class BoxReducer {
 public:
  BoxReducer(QSize source, int box, bool wholeFrame)
      : source_(source),
        box_(box),
        whole_(wholeFrame),
        out_(pngReducedSize(source, box), QImage::Format_RGB32),
        sums_(size_t(out_.width()) * 3 * size_t(wholeFrame ? out_.height() : 1)) {}

  bool ok() const { return !out_.isNull(); }

  // Adds `count` RGBA pixels of source row `y`, at columns x0, x0 + step...
  void add(int y, int x0, int step, const png_byte* rgba, int count) {
    quint32* row = sums_.data() + (whole_ ? size_t(y / box_) * size_t(out_.width()) * 3 : 0);
    int column = x0 / box_, within = x0 % box_;
    for (int i = 0; i < count; ++i, rgba += 4) {
      quint32* sum = row + size_t(column) * 3;
      const unsigned alpha = rgba[3];
      if (alpha == 255) {
        sum[0] += rgba[0];
        sum[1] += rgba[1];
        sum[2] += rgba[2];
      } else {
        const unsigned white = 255 * (255 - alpha) + 127;
        sum[0] += (rgba[0] * alpha + white) / 255;
        sum[1] += (rgba[1] * alpha + white) / 255;
        sum[2] += (rgba[2] * alpha + white) / 255;
      }
      for (within += step; within >= box_; within -= box_) ++column;
    }
  }

  // Called after the last pixels of source row `y`: a finished row of boxes
  // becomes a row of the reduced picture.
  void rowDone(int y) {
    if (whole_ || (y % box_ != box_ - 1 && y != source_.height() - 1)) return;
    emitRow(y / box_, sums_.data());
    std::fill(sums_.begin(), sums_.end(), 0);
  }

  QImage finish() {
    if (whole_)
      for (int j = 0; j < out_.height(); ++j) emitRow(j, sums_.data() + size_t(j) * size_t(out_.width()) * 3);
    return out_;
  }

 private:
  void emitRow(int j, const quint32* sums) {
    const quint64 height = quint64(std::min(box_, source_.height() - j * box_));
    auto* line = reinterpret_cast<QRgb*>(out_.scanLine(j));
    for (int i = 0; i < out_.width(); ++i, sums += 3) {
      const quint64 area = quint64(std::min(box_, source_.width() - i * box_)) * height;
      const auto mean = [&](quint32 sum) { return int((quint64(sum) + area / 2) / area); };
      line[i] = qRgb(mean(sums[0]), mean(sums[1]), mean(sums[2]));
    }
  }

  QSize source_;
  int box_;
  bool whole_;
  QImage out_;
  std::vector<quint32> sums_;
};

void readFromDevice(png_structp png, png_bytep data, size_t length) {
  auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
  if (device->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length)) png_error(png, "cut short");
}
// libpng's own handlers print to the terminal; a refusal says why instead.
void failQuietly(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void warnQuietly(png_structp, png_const_charp) {}

// The reading itself. libpng reports errors by a long jump back here, so
// nothing in this frame needs destroying: the reducer and the row live in
// the caller.
bool readPng(png_structp png, png_infop info, QSize target, std::optional<BoxReducer>& reducer,
             std::vector<png_byte>& row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const int width = int(png_get_image_width(png, info));
  const int height = int(png_get_image_height(png, info));
  const int colorType = png_get_color_type(png, info);
  if (width <= 0 || height <= 0) return false;
  // Every kind of PNG arrives as 8-bit RGBA.
  png_set_expand(png);
  png_set_scale_16(png);
  if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(width) * 4) return false;
  row.resize(size_t(width) * 4);
  const QSize size(width, height);
  reducer.emplace(size, pngBox(size, target), interlaced);
  if (!reducer->ok()) return false;
  // Without libpng's interlace handling, each pass comes as its own small
  // picture whose pixels are spread over the whole.
  for (int pass = 0; pass < (interlaced ? PNG_INTERLACE_ADAM7_PASSES : 1); ++pass) {
    const int rows = interlaced ? int(PNG_PASS_ROWS(png_uint_32(height), pass)) : height;
    const int columns = interlaced ? int(PNG_PASS_COLS(png_uint_32(width), pass)) : width;
    if (rows == 0 || columns == 0) continue;
    const int x0 = interlaced ? PNG_PASS_START_COL(pass) : 0, dx = interlaced ? 1 << PNG_PASS_COL_SHIFT(pass) : 1;
    const int y0 = interlaced ? PNG_PASS_START_ROW(pass) : 0, dy = interlaced ? 1 << PNG_PASS_ROW_SHIFT(pass) : 1;
    for (int r = 0; r < rows; ++r) {
      png_read_row(png, row.data(), nullptr);
      const int y = y0 + r * dy;
      reducer->add(y, x0, dx, row.data(), columns);
      reducer->rowDone(y);
    }
  }
  return true;
}

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};
void jpegFailQuietly(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1); }
// Counted as libjpeg's own handler counts them, without the printing.
void jpegWarnQuietly(j_common_ptr info, int level) {
  if (level < 0) ++info->err->num_warnings;
}

// The largest reduced side a thumbnail decode accepts; anything bigger goes
// the ordinary way, with its limits.
constexpr int kMaxThumbnailDecodeSide = 4096;

// The decode itself; libjpeg reports errors by a long jump back here, so this
// frame holds nothing to destroy: the image lives in the caller.
bool readJpeg(jpeg_decompress_struct* info, JpegFailure* failure, const QByteArray& bytes, QSize target, QImage& image,
              QSize& size, const std::atomic<bool>* stop) {
  // Set before the decompressor is created: creating it can fail too, and
  // its failure jumps here.
  if (setjmp(failure->jump)) return false;
  jpeg_create_decompress(info);
  jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK) return false;
  if (jpeg_has_multiple_scans(info) || (info->jpeg_color_space != JCS_YCbCr && info->jpeg_color_space != JCS_GRAYSCALE))
    return false;
  size = QSize(int(info->image_width), int(info->image_height));
  // A square target fits the picture turned or not alike.
  const QSize fitted = size.scaled(target, Qt::KeepAspectRatio).boundedTo(size);
  int denominator = 8;
  while (denominator > 1 &&
         (size.width() / denominator < fitted.width() || size.height() / denominator < fitted.height()))
    denominator /= 2;
  info->scale_num = 1;
  info->scale_denom = unsigned(denominator);
  info->dct_method = JDCT_IFAST;
  info->do_fancy_upsampling = FALSE;
  info->out_color_space = JCS_EXT_BGRX;
  jpeg_calc_output_dimensions(info);
  if (info->output_width > kMaxThumbnailDecodeSide || info->output_height > kMaxThumbnailDecodeSide) return false;
  jpeg_start_decompress(info);
  image = QImage(int(info->output_width), int(info->output_height), QImage::Format_RGB32);
  if (image.isNull()) return false;
  while (info->output_scanline < info->output_height) {
    // Each row of the eighth is a row of blocks read: a stop ends it there.
    if (stop && stop->load()) return false;
    JSAMPROW row = image.scanLine(int(info->output_scanline));
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  return true;
}

// Mirrored and flipped first, then turned by a quarter, as Qt applies a tag.
QImage transformed(const QImage& image, QImageIOHandler::Transformations how) {
  QImage out = image.mirrored(how & QImageIOHandler::TransformationMirror, how & QImageIOHandler::TransformationFlip);
  if (how & QImageIOHandler::TransformationRotate90) out = out.transformed(QTransform().rotate(90));
  return out;
}

}  // namespace

QImage decodeJpegThumbnail(const QByteArray& bytes, QSize target, QSize* size, const std::atomic<bool>* stop) {
  if (!bytes.startsWith("\xff\xd8") || target.isEmpty()) return QImage();
  // The orientation tag, read by Qt from the header alone.
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "jpeg");
  reader.setAutoTransform(true);
  const QImageIOHandler::Transformations how = reader.transformation();
  QImage image;
  QSize own;
  // Zeroed, so that destroying it is safe however far its creation came.
  jpeg_decompress_struct info{};
  JpegFailure failure;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = jpegFailQuietly;
  failure.manager.emit_message = jpegWarnQuietly;
  // A warning is data libjpeg could not read (cut short, a stray marker):
  // left to the ordinary decoder, which shows what is missing in grey.
  const bool ok = readJpeg(&info, &failure, bytes, target, image, own, stop) && failure.manager.num_warnings == 0;
  jpeg_destroy_decompress(&info);
  if (!ok) return QImage();
  if (size) *size = (how & QImageIOHandler::TransformationRotate90) ? own.transposed() : own;
  return how == QImageIOHandler::TransformationNone ? image : transformed(image, how);
}

int pngBox(QSize size, QSize target) {
  if (target.isEmpty()) return 1;
  const int ratio = std::min(size.width() / target.width(), size.height() / target.height());
  return std::clamp(ratio, 1, kMaxPngBox);
}

QSize pngReducedSize(QSize size, int box) {
  return QSize((size.width() + box - 1) / box, (size.height() + box - 1) / box);
}

namespace {

void appendToBuffer(png_structp png, png_bytep data, size_t length) {
  static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}
void flushNothing(png_structp) {}

// libpng reports errors by a long jump back here, so this frame holds nothing
// to destroy.
bool writePng(png_structp png, png_infop info, const QImage& rgb, std::vector<png_text>& texts, QByteArray* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, appendToBuffer, flushNothing);
  png_set_IHDR(png, info, png_uint_32(rgb.width()), png_uint_32(rgb.height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Before the pixels, so that a reader finds them with the header.
  png_set_text(png, info, texts.data(), int(texts.size()));
  // A thumbnail is small either way; quick to write matters more.
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  for (int y = 0; y < rgb.height(); ++y) png_write_row(png, rgb.constScanLine(y));
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

QByteArray encodePngWithText(const QImage& image, const std::vector<std::pair<QByteArray, QByteArray>>& keys) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  std::vector<png_text> texts(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[i].key = const_cast<char*>(keys[i].first.constData());
    texts[i].text = const_cast<char*>(keys[i].second.constData());
    texts[i].text_length = size_t(keys[i].second.size());
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, warnQuietly);
  if (!png) return QByteArray();
  png_infop info = png_create_info_struct(png);
  QByteArray out;
  const bool ok = info && writePng(png, info, rgb, texts, &out);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return ok ? out : QByteArray();
}

QImage decodePngReduced(QIODevice* device, QSize target) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, warnQuietly);
  if (!png) return QImage();
  png_infop info = png_create_info_struct(png);
  std::optional<BoxReducer> reducer;
  std::vector<png_byte> row;
  bool ok = false;
  if (info) {
    device->seek(0);
    png_set_read_fn(png, device, readFromDevice);
    ok = readPng(png, info, target, reducer, row);
  }
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  return ok ? reducer->finish() : QImage();
}

bool webpIsAnimated(const QByteArray& head) {
  // An extended WebP says in its first chunk's flags whether it is animated.
  return head.size() > 20 && head.startsWith("RIFF") && head.mid(8, 8) == "WEBPVP8X" && (head[20] & 0x02) != 0;
}

qint64 webpHeldBytes(const QByteArray& bytes) {
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), &features) !=
      VP8_STATUS_OK)
    return -1;
  const int perPixel = features.format == 2 ? 4 : features.has_alpha ? 2 : 0;
  return qint64(features.width) * features.height * perPixel;
}

QImage decodeWebpScaled(const QByteArray& bytes, QSize target) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config) || target.isEmpty()) return QImage();
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  const size_t length = size_t(bytes.size());
  if (WebPGetFeatures(data, length, &config.input) != VP8_STATUS_OK || config.input.has_animation) return QImage();
  const bool alpha = config.input.has_alpha != 0;
  QImage image(target, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (image.isNull()) return QImage();
  config.options.use_scaling = 1;
  config.options.scaled_width = target.width();
  config.options.scaled_height = target.height();
  // QImage's 32-bit pixels, in memory order of this machine.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
  config.output.colorspace = alpha ? MODE_bgrA : MODE_BGRA;
#else
  config.output.colorspace = alpha ? MODE_Argb : MODE_ARGB;
#endif
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = image.bits();
  config.output.u.RGBA.stride = int(image.bytesPerLine());
  config.output.u.RGBA.size = size_t(image.sizeInBytes());
  const bool ok = WebPDecode(data, length, &config) == VP8_STATUS_OK;
  WebPFreeDecBuffer(&config.output);
  return ok ? image : QImage();
}

}  // namespace decode
