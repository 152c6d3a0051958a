// A JPEG photo at an eighth of its size from the DC coefficients alone: each
// 8 x 8 block of the picture becomes one pixel, its average colour. The
// entropy-coded data is still read whole, but the AC coefficients are only
// stepped over, most of them with one table look-up for code and value
// together, which is what makes a thumbnail of a large photo quick.
//
// Only plain sequential Huffman JPEGs of 8-bit samples, grey or YCbCr, are
// taken; anything else (progressive, arithmetic-coded, 12-bit, CMYK, Adobe RGB
// or damaged data) is refused, and the caller decodes it another way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace decode {

struct DcPicture {
  int width = 0, height = 0;              // the eighth: each side rounded up
  int sourceWidth = 0, sourceHeight = 0;  // the picture's own size
  std::vector<uint8_t> rgb;               // width * height * 3 bytes, rows top down
};

// Refuses pictures whose eighth would be wider or taller than maxSide.
bool decodeJpegDc(const uint8_t* data, size_t size, int maxSide, DcPicture* out);

}  // namespace decode
