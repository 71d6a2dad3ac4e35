// libFuzzer harness for the BMP and JPEG decoders: the first byte picks the named type (detect, BMP,
// JPEG) so the fallback chain is exercised too; the rest is the file. A decoded picture must be
// consistent and survive a BMP round trip and the processing operations.
#include "image/cx_image.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void fault() { __builtin_trap(); }

void exercise(lumivex::CxImage& image) {
  using lumivex::CxImage;
  const uint64_t pixels = uint64_t{image.GetWidth()} * image.GetHeight();
  const uint8_t* end = image.GetDIB() + image.GetSize();
  if (image.GetBits(image.GetHeight() - 1) + image.GetEffWidth() != end) fault();
  if (pixels > 256 * 256) return;  // keep each run short

  std::vector<uint8_t> bmp;
  if (!image.Encode(bmp, CxImage::kTypeBmp)) fault();
  CxImage again(bmp.data(), bmp.size(), CxImage::kTypeBmp);
  if (!again.IsValid() || again.GetSize() != image.GetSize() ||
      std::memcmp(again.GetBits(0), image.GetBits(0), image.GetEffWidth() * size_t{image.GetHeight()}) != 0) {
    fault();
  }
  std::vector<uint8_t> jpg;
  const bool encodable = image.GetBpp() == 24 || image.GetBpp() == 8;
  if (image.Encode(jpg, CxImage::kTypeJpg) != encodable && image.GetBpp() == 24) fault();
  static constexpr std::array<long, 9> kOnes{1, 1, 1, 1, 1, 1, 1, 1, 1};
  if (!image.Mirror() || !image.Flip() || !image.Negative() || !image.Light(10) || !image.Median(3) ||
      !image.Filter(kOnes, 3, 9, 0)) {
    fault();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static constexpr uint32_t kTypes[] = {lumivex::CxImage::kTypeUnknown, lumivex::CxImage::kTypeBmp,
                                        lumivex::CxImage::kTypeJpg};
  lumivex::CxImage image(data + 1, size - 1, kTypes[data[0] % 3]);
  if (!image.IsValid()) {
    if (image.GetLastError()[0] == '\0') fault();  // every failure names its reason
    return 0;
  }
  exercise(image);
  return 0;
}
