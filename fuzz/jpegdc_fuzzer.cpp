// Fuzz target of the quick JPEG eighth used for thumbnails: any bytes are
// either refused or decoded into a picture of exactly the size the header
// gives, an eighth of it, rounded up; nothing is read or written outside.
#include <cstdint>
#include <cstdlib>

#include "pictures/decode/JpegDcDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  decode::DcPicture eighth;
  if (!decode::decodeJpegDc(data, size, 512, &eighth)) return 0;
  if (eighth.width != (eighth.sourceWidth + 7) / 8 || eighth.height != (eighth.sourceHeight + 7) / 8) std::abort();
  if (eighth.width < 1 || eighth.height < 1 || eighth.width > 512 || eighth.height > 512) std::abort();
  if (eighth.rgb.size() != size_t(eighth.width) * size_t(eighth.height) * 3) std::abort();
  return 0;
}
