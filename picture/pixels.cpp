#include "picture/pixels.h"

#include <algorithm>
#include <cmath>

namespace kx {

bool IsValidBitmap(const Bitmap& b) {
    return b.width > 0 && b.height > 0 && uint64_t(b.width) * uint64_t(b.height) <= kMaxBitmapPixels &&
           b.bgra.size() == size_t(b.width) * size_t(b.height) * 4;
}

std::vector<uint8_t> OpaqueBgr24Rows(const Bitmap& in) {
    const size_t stride = Bgr24Stride(in.width);
    std::vector<uint8_t> rows(stride * size_t(in.height), 0);
    for (int y = 0; y < in.height; ++y) {
        const uint8_t* s = in.bgra.data() + size_t(y) * size_t(in.width) * 4;
        uint8_t* d = rows.data() + size_t(y) * stride;
        for (int x = 0; x < in.width; ++x, s += 4, d += 3) {
            const unsigned a = s[3];
            for (int c = 0; c < 3; ++c) d[c] = uint8_t((s[c] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    return rows;
}

namespace {

// Source pixel coordinate range [from, to) that output index `i` covers.
struct Span {
    double from, to;
};

Span Cover(int i, int outSize, int inSize) {
    double scale = double(inSize) / outSize;
    return {i * scale, (i + 1) * scale};
}

// Area average of the source pixels under one output pixel.
void AveragePixel(const Bitmap& in, Span xs, Span ys, uint8_t* out) {
    double sum[4] = {0, 0, 0, 0};
    double total = 0;
    for (int y = int(ys.from); y < in.height && y < ys.to; ++y) {
        double wy = std::min<double>(y + 1, ys.to) - std::max<double>(y, ys.from);
        for (int x = int(xs.from); x < in.width && x < xs.to; ++x) {
            double w = wy * (std::min<double>(x + 1, xs.to) - std::max<double>(x, xs.from));
            const uint8_t* p = in.bgra.data() + (size_t(y) * size_t(in.width) + size_t(x)) * 4;
            for (int c = 0; c < 4; ++c) sum[c] += w * p[c];
            total += w;
        }
    }
    for (int c = 0; c < 4; ++c) out[c] = uint8_t(std::clamp(std::lround(sum[c] / total), 0L, 255L));
}

// Bilinear sample at the centre of one output pixel.
void BilinearPixel(const Bitmap& in, double sx, double sy, uint8_t* out) {
    sx = std::clamp(sx, 0.0, double(in.width - 1));
    sy = std::clamp(sy, 0.0, double(in.height - 1));
    int x0 = int(sx), y0 = int(sy);
    int x1 = std::min(x0 + 1, in.width - 1), y1 = std::min(y0 + 1, in.height - 1);
    double fx = sx - x0, fy = sy - y0;
    auto at = [&](int x, int y) { return in.bgra.data() + (size_t(y) * size_t(in.width) + size_t(x)) * 4; };
    for (int c = 0; c < 4; ++c) {
        double top = at(x0, y0)[c] * (1 - fx) + at(x1, y0)[c] * fx;
        double bottom = at(x0, y1)[c] * (1 - fx) + at(x1, y1)[c] * fx;
        out[c] = uint8_t(std::clamp(std::lround(top * (1 - fy) + bottom * fy), 0L, 255L));
    }
}

}  // namespace

bool ResampleBitmap(const Bitmap& in, int width, int height, Bitmap& out) {
    Bitmap result;
    result.width = width;
    result.height = height;
    if (!IsValidBitmap(in) || width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxBitmapPixels)
        return false;
    result.bgra.resize(size_t(width) * size_t(height) * 4);
    const bool averageX = in.width > 2 * width, averageY = in.height > 2 * height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* d = result.bgra.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
            if (averageX || averageY) {
                AveragePixel(in, Cover(x, width, in.width), Cover(y, height, in.height), d);
            } else {
                BilinearPixel(in, (x + 0.5) * in.width / width - 0.5, (y + 0.5) * in.height / height - 0.5, d);
            }
        }
    }
    out = std::move(result);
    return true;
}

}  // namespace kx
