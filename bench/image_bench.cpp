// The image container on a 1600 x 1200 24-bit picture, side by side with the nearest OpenCV calls and a
// bare libjpeg-turbo encode/decode of the same buffer. OpenCV runs with its default thread pool in the
// plain benchmarks and with one thread in the *_1T ones; the container is always single-threaded.
#include "image/cx_image.h"

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <jpeglib.h>

namespace {

using lumivex::CxImage;

constexpr uint32_t kWidth = 1600;
constexpr uint32_t kHeight = 1200;

// Smooth shading with sensor-like noise: compresses like a microscope picture, not like flat colour.
const CxImage& picture() {
  static const CxImage image = [] {
    CxImage built;
    built.Create(kWidth, kHeight, 24);
    std::mt19937 random(7);
    for (uint32_t y = 0; y < kHeight; ++y) {
      uint8_t* row = built.GetBits(y);
      for (uint32_t x = 0; x < kWidth; ++x) {
        const int noise = static_cast<int>(random() % 17) - 8;
        row[x * 3] = static_cast<uint8_t>(std::clamp(static_cast<int>(x * 255 / kWidth) + noise, 0, 255));
        row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(static_cast<int>(y * 255 / kHeight) + noise, 0, 255));
        row[x * 3 + 2] = static_cast<uint8_t>(std::clamp(static_cast<int>((x + y) % 256) + noise, 0, 255));
      }
    }
    return built;
  }();
  return image;
}

cv::Mat viewOf(CxImage& image) {
  return cv::Mat(static_cast<int>(image.GetHeight()), static_cast<int>(image.GetWidth()), CV_8UC3, image.GetBits(0),
                 image.GetEffWidth());
}

std::vector<uint8_t> encoded(uint32_t type) {
  CxImage copy = picture();
  std::vector<uint8_t> bytes;
  copy.Encode(bytes, type);
  return bytes;
}

void setBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

// ---- codecs ----

void BM_BmpEncode(benchmark::State& state) {
  CxImage image = picture();
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    image.Encode(bytes, CxImage::kTypeBmp);
    benchmark::DoNotOptimize(bytes.data());
  }
  setBytes(state);
}
BENCHMARK(BM_BmpEncode)->Unit(benchmark::kMillisecond);

void BM_BmpDecode(benchmark::State& state) {
  const std::vector<uint8_t> bytes = encoded(CxImage::kTypeBmp);
  for (auto _ : state) {
    CxImage image(bytes.data(), bytes.size(), CxImage::kTypeBmp);
    benchmark::DoNotOptimize(image.GetBits(0));
  }
  setBytes(state);
}
BENCHMARK(BM_BmpDecode)->Unit(benchmark::kMillisecond);

// The capture path: a bare BITMAPINFOHEADER followed by the rows.
void BM_FrameDecode(benchmark::State& state) {
  const CxImage& image = picture();
  const std::vector<uint8_t> frame(image.GetDIB(), image.GetDIB() + image.GetSize());
  for (auto _ : state) {
    CxImage still(frame.data(), frame.size(), CxImage::kTypeBmp);
    benchmark::DoNotOptimize(still.GetBits(0));
  }
  setBytes(state);
}
BENCHMARK(BM_FrameDecode)->Unit(benchmark::kMillisecond);

void BM_JpegEncode(benchmark::State& state) {
  CxImage image = picture();
  for (auto _ : state) {
    std::vector<uint8_t> bytes;
    image.Encode(bytes, CxImage::kTypeJpg);
    benchmark::DoNotOptimize(bytes.data());
  }
  setBytes(state);
}
BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond);

void BM_JpegEncodeBareTurbo(benchmark::State& state) {
  CxImage image = picture();
  for (auto _ : state) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < kHeight) {
      JSAMPROW row = image.GetBits(kHeight - 1 - cinfo.next_scanline);
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
  setBytes(state);
}
BENCHMARK(BM_JpegEncodeBareTurbo)->Unit(benchmark::kMillisecond);

void BM_JpegDecode(benchmark::State& state) {
  const std::vector<uint8_t> bytes = encoded(CxImage::kTypeJpg);
  for (auto _ : state) {
    CxImage image(bytes.data(), bytes.size(), CxImage::kTypeJpg);
    benchmark::DoNotOptimize(image.GetBits(0));
  }
  setBytes(state);
}
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);

void BM_JpegDecodeBareTurbo(benchmark::State& state) {
  std::vector<uint8_t> bytes = encoded(CxImage::kTypeJpg);
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto _ : state) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = pixels.data() + static_cast<size_t>(cinfo.output_scanline) * kWidth * 3;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.data());
  }
  setBytes(state);
}
BENCHMARK(BM_JpegDecodeBareTurbo)->Unit(benchmark::kMillisecond);

// ---- operations, each with its OpenCV counterpart ----

template <typename Op>
void runOperation(benchmark::State& state, Op op) {
  CxImage image = picture();
  for (auto _ : state) {
    op(image);
    benchmark::DoNotOptimize(image.GetBits(0));
  }
  setBytes(state);
}

template <typename Op>
void runOpenCv(benchmark::State& state, Op op) {
  if (state.range(0) == 1) cv::setNumThreads(1);
  CxImage image = picture();
  cv::Mat src = viewOf(image);
  cv::Mat dst(src.size(), src.type());
  for (auto _ : state) {
    op(src, dst);
    benchmark::DoNotOptimize(dst.data);
  }
  cv::setNumThreads(-1);
  setBytes(state);
}

constexpr std::array<long, 9> kOnes{1, 1, 1, 1, 1, 1, 1, 1, 1};

void BM_Mirror(benchmark::State& s) {
  runOperation(s, [](CxImage& i) { i.Mirror(false, true); });
}
void BM_CvFlipHorizontal(benchmark::State& s) {
  runOpenCv(s, [](cv::Mat& a, cv::Mat& b) { cv::flip(a, b, 1); });
}
void BM_Flip(benchmark::State& s) {
  runOperation(s, [](CxImage& i) { i.Flip(false, true); });
}
void BM_CvFlipVertical(benchmark::State& s) {
  runOpenCv(s, [](cv::Mat& a, cv::Mat& b) { cv::flip(a, b, 0); });
}
void BM_Negative(benchmark::State& s) {
  runOperation(s, [](CxImage& i) { i.Negative(); });
}
void BM_CvBitwiseNot(benchmark::State& s) {
  runOpenCv(s, [](cv::Mat& a, cv::Mat& b) { cv::bitwise_not(a, b); });
}
void BM_Light(benchmark::State& s) {
  runOperation(s, [](CxImage& i) { i.Light(10, 0); });
}
void BM_CvLut(benchmark::State& s) {
  cv::Mat table(1, 256, CV_8U);
  for (int i = 0; i < 256; ++i) table.at<uint8_t>(i) = static_cast<uint8_t>(std::min(255, i + 10));
  runOpenCv(s, [&](cv::Mat& a, cv::Mat& b) { cv::LUT(a, table, b); });
}
void BM_Filter(benchmark::State& s) {
  runOperation(s, [](CxImage& i) { i.Filter(kOnes, 3, 9, 0); });
}
void BM_CvBlur3(benchmark::State& s) {
  runOpenCv(s, [](cv::Mat& a, cv::Mat& b) { cv::blur(a, b, cv::Size(3, 3)); });
}
void BM_Median(benchmark::State& s) {
  runOperation(s, [](CxImage& i) { i.Median(3); });
}
void BM_CvMedianBlur3(benchmark::State& s) {
  runOpenCv(s, [](cv::Mat& a, cv::Mat& b) { cv::medianBlur(a, b, 3); });
}

// Arg 0: OpenCV's default threads; arg 1: one thread.
#define LUMIVEX_PAIR(ours, theirs)                \
  BENCHMARK(ours)->Unit(benchmark::kMillisecond); \
  BENCHMARK(theirs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)

LUMIVEX_PAIR(BM_Mirror, BM_CvFlipHorizontal);
LUMIVEX_PAIR(BM_Flip, BM_CvFlipVertical);
LUMIVEX_PAIR(BM_Negative, BM_CvBitwiseNot);
LUMIVEX_PAIR(BM_Light, BM_CvLut);
LUMIVEX_PAIR(BM_Filter, BM_CvBlur3);
LUMIVEX_PAIR(BM_Median, BM_CvMedianBlur3);

}  // namespace
