// Encoding a 2000 x 2000 picture into its stored RTF document against the
// codec's own BMP encode of the same picture (the floor: the document is
// that bitmap written as hexadecimal text), and the PNG that the browser
// clip of such a picture carries. The codec is the program's own BMP codec;
// the picture file is a 24-bit BMP, so the encoder takes it as it is.
//
//   build/picture-bench/bench/kx_bench --benchmark_filter=Picture --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/whole_file.h"
#include "picture/bmp_codec.h"
#include "picture/picture_encoder.h"

namespace kx {
namespace {

constexpr int kSide = 2000;

Bitmap BenchPicture() {
    Bitmap b{kSide, kSide, {}};
    b.bgra.resize(size_t(kSide) * kSide * 4);
    for (size_t i = 0; i < b.bgra.size(); ++i) b.bgra[i] = uint8_t(i * 2654435761u >> 24);
    return b;
}

struct PictureFile {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "kx-bench-picture";
    std::filesystem::path file = dir / "bench.bmp";
    PictureFile() {
        std::filesystem::create_directories(dir);
        BmpCodec codec;
        codec.SaveBmp(BenchPicture(), file.u16string());
    }
    ~PictureFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void PictureEncodeDocument(benchmark::State& state) {
    PictureFile picture;
    BmpCodec codec;
    std::string rtf;
    for (auto _ : state) {
        if (!EncodePicture(rtf, picture.file.u16string(), 0, 0, codec, picture.dir.u16string()))
            state.SkipWithError("the picture did not encode");
        benchmark::DoNotOptimize(rtf.data());
    }
    state.counters["MB"] = double(rtf.size()) / 1e6;
}
BENCHMARK(PictureEncodeDocument)->Unit(benchmark::kMillisecond);

// The floor: the codec loads the same file and encodes it as BMP in memory.
void PictureCodecBmpFloor(benchmark::State& state) {
    PictureFile picture;
    BmpCodec codec;
    std::string bmp;
    for (auto _ : state) {
        Bitmap b;
        if (!codec.Load(picture.file.u16string(), b) || !codec.EncodeBmp(b, bmp))
            state.SkipWithError("the codec failed");
        benchmark::DoNotOptimize(bmp.data());
    }
    state.counters["MB"] = double(bmp.size()) / 1e6;
}
BENCHMARK(PictureCodecBmpFloor)->Unit(benchmark::kMillisecond);

// The browser clip's picture: the bitmap encoded as PNG in memory.
void PictureClipPng(benchmark::State& state) {
    BmpCodec codec;
    Bitmap b = BenchPicture();
    std::string png;
    for (auto _ : state) {
        if (!codec.EncodePng(b, png)) state.SkipWithError("the codec failed");
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["MB"] = double(png.size()) / 1e6;
}
BENCHMARK(PictureClipPng)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx
