// The DC-only JPEG decode: markers up to the scan, then the entropy-coded data
// MCU by MCU, keeping one row of MCUs at a time. Every read is bounded by the
// data; a file that does not follow the rules is refused rather than guessed.
#include "pictures/decode/JpegDcDecode.h"

#include <algorithm>
#include <array>
#include <utility>

namespace decode {
namespace {

constexpr int kFastBits = 10;  // code look-up width for a symbol
constexpr int kSkipBits = 12;  // look-up width for an AC code with its value
constexpr uint8_t kEndOfBlock = 255;

struct HuffTable {
  bool defined = false;
  std::array<uint8_t, 17> counts{};  // codes of each length 1..16
  std::array<uint8_t, 256> symbols{};
  std::array<int32_t, 18> maxCode{};  // last code of each length, -1 for none
  std::array<int32_t, 17> minCode{};
  std::array<int32_t, 17> firstIndex{};
  std::array<uint16_t, 1 << kFastBits> fast{};  // length << 8 | symbol, 0 = longer code
  // AC only: the bits taken by a code and its value together (0 = not in the
  // table) and how far along the block it moves (kEndOfBlock at its end).
  std::array<uint8_t, 1 << kSkipBits> skipBits{};
  std::array<uint8_t, 1 << kSkipBits> skipAdvance{};
};

bool buildTable(HuffTable& t, const uint8_t* counts, const uint8_t* symbols, int total, bool ac) {
  t = HuffTable{};
  std::copy(counts, counts + 16, t.counts.begin() + 1);
  std::copy(symbols, symbols + total, t.symbols.begin());
  int32_t code = 0;
  int index = 0;
  for (int length = 1; length <= 16; ++length) {
    t.firstIndex[length] = index;
    t.minCode[length] = code;
    for (int i = 0; i < t.counts[length]; ++i, ++code, ++index) {
      if (code >= (1 << length)) return false;  // more codes than the length holds
      const uint8_t symbol = t.symbols[index];
      if (length <= kFastBits) {
        const int spare = kFastBits - length;
        for (int f = 0; f < (1 << spare); ++f) t.fast[(code << spare) | f] = uint16_t(length << 8 | symbol);
      }
      const int run = symbol >> 4, size = symbol & 15, bits = length + size;
      if (ac && bits <= kSkipBits) {
        const uint8_t advance = size == 0 ? (run == 15 ? 16 : kEndOfBlock) : uint8_t(run + 1);
        const int spare = kSkipBits - bits;
        for (int value = 0; value < (1 << size); ++value)
          for (int f = 0; f < (1 << spare); ++f) {
            const int at = (((code << size) | value) << spare) | f;
            t.skipBits[at] = uint8_t(bits);
            t.skipAdvance[at] = advance;
          }
      }
    }
    t.maxCode[length] = t.counts[length] ? code - 1 : -1;
    code <<= 1;
  }
  t.defined = true;
  return true;
}

// The entropy-coded bits, most significant first, with stuffed zero bytes
// taken out. At a marker or the end of the data it feeds zero bytes and counts
// them, so damaged data is noticed without reading past the end.
struct BitReader {
  const uint8_t* p;
  const uint8_t* end;
  uint64_t bits = 0;
  int count = 0;
  bool atMarker = false;
  int padded = 0;

  void fill() {
    while (count <= 56) {
      uint8_t byte = 0;
      if (!atMarker && p < end) {
        byte = *p;
        if (byte == 0xFF) {
          if (p + 1 < end && p[1] == 0x00) {
            p += 2;
          } else {
            atMarker = true;  // p stays on the marker
            byte = 0;
            ++padded;
          }
        } else {
          ++p;
        }
      } else {
        ++padded;
      }
      bits |= uint64_t(byte) << (56 - count);
      count += 8;
    }
  }
  int peek(int n) const { return int(bits >> (64 - n)); }
  void drop(int n) {
    bits <<= n;
    count -= n;
  }
  int take(int n) {
    if (n == 0) return 0;
    const int value = peek(n);
    drop(n);
    return value;
  }
  void restart() {
    bits = 0;
    count = 0;
    atMarker = false;
    padded = 0;
  }
};

// One symbol, or -1 for a code the table does not have.
int decodeSymbol(BitReader& r, const HuffTable& t) {
  if (r.count < 32) r.fill();
  const uint16_t hit = t.fast[size_t(r.peek(kFastBits))];
  if (hit) {
    r.drop(hit >> 8);
    return hit & 0xFF;
  }
  const int32_t code16 = r.peek(16);
  for (int length = kFastBits + 1; length <= 16; ++length) {
    const int32_t code = code16 >> (16 - length);
    if (code <= t.maxCode[length] && code >= t.minCode[length]) {
      r.drop(length);
      return t.symbols[size_t(t.firstIndex[length] + code - t.minCode[length])];
    }
  }
  return -1;
}

// Steps over a block's AC coefficients; false for damaged data.
bool skipAc(BitReader& r, const HuffTable& t) {
  for (int k = 1; k < 64;) {
    if (r.count < 32) r.fill();
    const int at = r.peek(kSkipBits);
    if (const int bits = t.skipBits[size_t(at)]) {
      r.drop(bits);
      const int advance = t.skipAdvance[size_t(at)];
      if (advance == kEndOfBlock) return true;
      k += advance;
      continue;
    }
    const int symbol = decodeSymbol(r, t);
    if (symbol < 0) return false;
    const int run = symbol >> 4, size = symbol & 15;
    if (r.count < 32) r.fill();
    r.drop(size);
    if (size == 0) {
      if (run != 15) return true;
      k += 16;
    } else {
      k += run + 1;
    }
  }
  return true;
}

int be16(const uint8_t* p) { return p[0] << 8 | p[1]; }

uint8_t clampSample(int v) { return uint8_t(std::clamp(v, 0, 255)); }

struct Component {
  int id = 0, h = 1, v = 1, quant = 0, dcTable = 0, acTable = 0;
};

}  // namespace

bool decodeJpegDc(const uint8_t* data, size_t size, int maxSide, DcPicture* out) {
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  // About 10 KB each: on the heap, as thumbnails are made on worker threads.
  std::vector<HuffTable> dcTables(4), acTables(4);
  std::array<int, 4> quant{};
  std::array<bool, 4> quantDefined{};
  std::array<Component, 3> comps;
  int width = 0, height = 0, ncomp = 0, restartInterval = 0;
  bool frame = false;
  size_t pos = 2, scanStart = 0;
  while (scanStart == 0) {
    if (pos >= size || data[pos] != 0xFF) return false;
    while (pos < size && data[pos] == 0xFF) ++pos;
    if (pos >= size) return false;
    const int marker = data[pos++];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD8 || marker == 0xD9 || pos + 2 > size) return false;
    const int length = be16(data + pos);
    if (length < 2 || pos + size_t(length) > size) return false;
    const uint8_t* seg = data + pos + 2;
    const int segLength = length - 2;
    pos += size_t(length);
    switch (marker) {
      case 0xC4:  // Huffman tables
        for (int at = 0; at < segLength;) {
          if (at + 17 > segLength) return false;
          const int kind = seg[at] >> 4, slot = seg[at] & 15;
          int total = 0;
          for (int i = 1; i <= 16; ++i) total += seg[at + i];
          if (kind > 1 || slot > 3 || total > 256 || at + 17 + total > segLength) return false;
          if (!buildTable(kind ? acTables[size_t(slot)] : dcTables[size_t(slot)], seg + at + 1, seg + at + 17, total,
                          kind == 1))
            return false;
          at += 17 + total;
        }
        break;
      case 0xDB:  // quantisation tables: only each one's first (DC) value is used
        for (int at = 0; at < segLength;) {
          const int precision = seg[at] >> 4, slot = seg[at] & 15;
          const int bytes = precision ? 128 : 64;
          if (precision > 1 || slot > 3 || at + 1 + bytes > segLength) return false;
          quant[size_t(slot)] = precision ? be16(seg + at + 1) : seg[at + 1];
          quantDefined[size_t(slot)] = true;
          at += 1 + bytes;
        }
        break;
      case 0xC0:
      case 0xC1: {  // sequential Huffman frame
        if (frame || segLength < 6 || seg[0] != 8) return false;
        height = be16(seg + 1);
        width = be16(seg + 3);
        ncomp = seg[5];
        if (width == 0 || height == 0 || (ncomp != 1 && ncomp != 3) || segLength < 6 + 3 * ncomp) return false;
        for (int c = 0; c < ncomp; ++c) {
          Component& k = comps[size_t(c)];
          k.id = seg[6 + 3 * c];
          k.h = seg[7 + 3 * c] >> 4;
          k.v = seg[7 + 3 * c] & 15;
          k.quant = seg[8 + 3 * c];
          if (k.h < 1 || k.h > 4 || k.v < 1 || k.v > 4 || k.quant > 3) return false;
        }
        // Components named R, G, B are RGB, not YCbCr.
        if (ncomp == 3 && comps[0].id == 'R' && comps[1].id == 'G' && comps[2].id == 'B') return false;
        frame = true;
        break;
      }
      case 0xC2:
      case 0xC3:
      case 0xC5:
      case 0xC6:
      case 0xC7:  // NOLINT: other coding processes
      case 0xC9:
      case 0xCA:
      case 0xCB:
      case 0xCD:
      case 0xCE:
      case 0xCF:
        return false;
      case 0xDD:  // restart interval
        if (segLength != 2) return false;
        restartInterval = be16(seg);
        break;
      case 0xEE:  // an Adobe marker may say the colours are not YCbCr
        if (segLength >= 5 && std::equal(seg, seg + 5, "Adobe")) return false;
        break;
      case 0xDA: {  // the scan: every component, interleaved, all coefficients
        if (!frame || segLength < 1 || seg[0] != ncomp || segLength != 4 + 2 * ncomp) return false;
        for (int s = 0; s < ncomp; ++s) {
          const int id = seg[1 + 2 * s];
          Component* k = nullptr;
          for (int c = 0; c < ncomp; ++c)
            if (comps[size_t(c)].id == id) k = &comps[size_t(c)];
          if (!k || k != &comps[size_t(s)]) return false;
          k->dcTable = seg[2 + 2 * s] >> 4;
          k->acTable = seg[2 + 2 * s] & 15;
          if (k->dcTable > 3 || k->acTable > 3 || !dcTables[size_t(k->dcTable)].defined ||
              !acTables[size_t(k->acTable)].defined || !quantDefined[size_t(k->quant)])
            return false;
        }
        const uint8_t* tail = seg + 1 + 2 * ncomp;
        if (tail[0] != 0 || tail[1] != 63 || tail[2] != 0) return false;
        scanStart = pos;
        break;
      }
      default:
        break;
    }
  }

  // One component is coded block by block, whatever its sampling factors.
  if (ncomp == 1) comps[0].h = comps[0].v = 1;
  int hMax = 1, vMax = 1, blocksPerMcu = 0;
  for (int c = 0; c < ncomp; ++c) {
    hMax = std::max(hMax, comps[size_t(c)].h);
    vMax = std::max(vMax, comps[size_t(c)].v);
    blocksPerMcu += comps[size_t(c)].h * comps[size_t(c)].v;
  }
  if (blocksPerMcu > 10) return false;
  const int outWidth = (width + 7) / 8, outHeight = (height + 7) / 8;
  if (outWidth > maxSide || outHeight > maxSide) return false;
  const int mcusAcross = (width + 8 * hMax - 1) / (8 * hMax), mcusDown = (height + 8 * vMax - 1) / (8 * vMax);
  // Each block's average as a sample, for one row of MCUs.
  std::array<std::vector<uint8_t>, 3> samples;
  for (int c = 0; c < ncomp; ++c)
    samples[size_t(c)].assign(size_t(mcusAcross) * size_t(comps[size_t(c)].h * comps[size_t(c)].v), 0);

  // Where each picture column finds its block in each component's row: the
  // colour of subsampled components covers several columns.
  std::array<std::vector<int>, 3> columnBlock;
  for (int c = 0; c < ncomp; ++c) {
    columnBlock[size_t(c)].resize(size_t(outWidth));
    for (int x = 0; x < outWidth; ++x) columnBlock[size_t(c)][size_t(x)] = x * comps[size_t(c)].h / hMax;
  }

  DcPicture picture;
  picture.width = outWidth;
  picture.height = outHeight;
  picture.sourceWidth = width;
  picture.sourceHeight = height;
  picture.rgb.resize(size_t(outWidth) * size_t(outHeight) * 3);

  BitReader reader{data + scanStart, data + size};
  std::array<int, 3> predictor{};
  int mcusToRestart = restartInterval;
  for (int my = 0; my < mcusDown; ++my) {
    for (int mx = 0; mx < mcusAcross; ++mx) {
      if (restartInterval && mcusToRestart == 0) {
        // A restart marker (RST0-7) ends each interval; the bits before it are padding.
        reader.restart();
        const uint8_t* p = reader.p;
        while (p + 1 < reader.end && p[0] == 0xFF && p[1] == 0xFF) ++p;
        if (p + 1 >= reader.end || p[0] != 0xFF || (p[1] & 0xF8) != 0xD0) return false;
        reader.p = p + 2;
        predictor = {};
        mcusToRestart = restartInterval;
      }
      for (int c = 0; c < ncomp; ++c) {
        const Component& k = comps[size_t(c)];
        const HuffTable& dcTable = dcTables[size_t(k.dcTable)];
        const HuffTable& acTable = acTables[size_t(k.acTable)];
        const int quantiser = quant[size_t(k.quant)];
        const size_t stride = size_t(mcusAcross * k.h);
        uint8_t* const mcuSamples = samples[size_t(c)].data() + size_t(mx * k.h);
        for (int by = 0; by < k.v; ++by)
          for (int bx = 0; bx < k.h; ++bx) {
            const int size = decodeSymbol(reader, dcTable);
            if (size < 0 || size > 11) return false;
            if (reader.count < 32) reader.fill();
            int diff = reader.take(size);
            if (size && diff < (1 << (size - 1))) diff -= (1 << size) - 1;
            predictor[size_t(c)] = int16_t(predictor[size_t(c)] + diff);
            if (!skipAc(reader, acTable)) return false;
            // The block's mean, as an 8 x 8 inverse transform reduced to one
            // sample gives it: DC times its quantiser, over 8, rounded.
            const int mean = ((predictor[size_t(c)] * quantiser + 4) >> 3) + 128;
            mcuSamples[size_t(by) * stride + size_t(bx)] = clampSample(mean);
          }
      }
      --mcusToRestart;
      // Data that ran out long ago is damaged or cut short.
      if (reader.padded > 64) return false;
    }
    // The rows of the picture this row of MCUs covers.
    for (int ly = 0; ly < vMax; ++ly) {
      const int y = my * vMax + ly;
      if (y >= outHeight) break;
      uint8_t* row = picture.rgb.data() + size_t(y) * size_t(outWidth) * 3;
      const uint8_t* line[3] = {};
      for (int c = 0; c < ncomp; ++c) {
        const Component& k = comps[size_t(c)];
        line[c] = samples[size_t(c)].data() + size_t(ly * k.v / vMax) * size_t(mcusAcross * k.h);
      }
      if (ncomp == 1) {
        for (int x = 0; x < outWidth; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = line[0][x];
        continue;
      }
      const int *cbColumn = columnBlock[1].data(), *crColumn = columnBlock[2].data();
      const int* yColumn = columnBlock[0].data();
      for (int x = 0; x < outWidth; ++x) {
        // YCbCr to RGB in fixed point with 16 fractional bits.
        const int64_t yy = line[0][yColumn[x]], cb = line[1][cbColumn[x]] - 128, cr = line[2][crColumn[x]] - 128;
        constexpr int64_t half = int64_t(1) << 15;
        row[3 * x] = clampSample(int(yy + ((91881 * cr + half) >> 16)));
        row[3 * x + 1] = clampSample(int(yy + ((-22554 * cb - 46802 * cr + half) >> 16)));
        row[3 * x + 2] = clampSample(int(yy + ((116130 * cb + half) >> 16)));
      }
    }
  }
  *out = std::move(picture);
  return true;
}

}  // namespace decode
