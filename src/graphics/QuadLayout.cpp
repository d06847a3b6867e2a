#include "graphics/QuadLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixel index of the first pixel whose centre is at or right of `edge`, clamped to [0, pixels].
int firstPixelFrom(double edge, int pixels) {
    double index = std::ceil(edge - 0.5);
    if (!(index > 0.0)) {
        return 0;
    }
    if (index >= static_cast<double>(pixels)) {
        return pixels;
    }
    return static_cast<int>(index);
}

int wrapTexel(double u, int texels) {
    double index = std::floor(u * static_cast<double>(texels));
    // Whole numbers this small are exact in 64 bits, where the remainder is cheap.
    if (std::fabs(index) < 0x1p62) {
        long long wrapped = static_cast<long long>(index) % texels;
        return static_cast<int>(wrapped < 0 ? wrapped + texels : wrapped);
    }
    double wrapped = std::fmod(index, static_cast<double>(texels));
    if (wrapped < 0.0) {
        wrapped += static_cast<double>(texels);
    }
    int texel = static_cast<int>(wrapped);
    return std::clamp(texel, 0, texels - 1);
}

void appendMerged(std::vector<AxisPiece>& pieces, int texel, int pixel) {
    if (!pieces.empty() && pieces.back().texelStart == texel && pieces.back().texelCount == 1 &&
        pieces.back().pixelStart + pieces.back().pixelCount == pixel) {
        ++pieces.back().pixelCount;
        return;
    }
    pieces.push_back({texel, 1, pixel, 1});
}

// Exact per pixel: used when repeats are narrower than a pixel or the image runs backwards.
void layByPixel(double low, double uLow, double du, int texels, int first, int end,
                std::vector<AxisPiece>& pieces) {
    for (int pixel = first; pixel < end; ++pixel) {
        double u = uLow + (static_cast<double>(pixel) + 0.5 - low) * du;
        appendMerged(pieces, std::isfinite(u) ? wrapTexel(u, texels) : 0, pixel);
    }
}

void addPiece(std::vector<AxisPiece>& pieces, int texelStart, int texelCount, int pixelStart, int pixelEnd) {
    if (pixelEnd > pixelStart && texelCount > 0) {
        pieces.push_back({texelStart, texelCount, pixelStart, pixelEnd - pixelStart});
    }
}

} // namespace

PixelRect rectUnion(PixelRect a, PixelRect b) {
    if (a.w <= 0 || a.h <= 0) {
        return b;
    }
    if (b.w <= 0 || b.h <= 0) {
        return a;
    }
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.w, b.x + b.w);
    const int bottom = std::max(a.y + a.h, b.y + b.h);
    return {left, top, right - left, bottom - top};
}

bool rectsMeet(PixelRect a, PixelRect b) {
    return a.w > 0 && a.h > 0 && b.w > 0 && b.h > 0 && a.x < b.x + b.w && b.x < a.x + a.w &&
           a.y < b.y + b.h && b.y < a.y + a.h;
}

bool coveredSpan(double low, double high, int pixels, int& first, int& end) {
    first = end = 0;
    if (!std::isfinite(low) || !std::isfinite(high) || pixels <= 0) {
        return false;
    }
    first = firstPixelFrom(low, pixels);
    end = firstPixelFrom(high, pixels);
    return first < end;
}

std::vector<AxisPiece> layAxis(double low, double high, double uLow, double uHigh, int texels, int pixels) {
    std::vector<AxisPiece> pieces;
    layAxis(low, high, uLow, uHigh, texels, pixels, pieces);
    return pieces;
}

void layAxis(double low, double high, double uLow, double uHigh, int texels, int pixels,
             std::vector<AxisPiece>& pieces) {
    pieces.clear();
    int first = 0;
    int end = 0;
    if (texels <= 0 || !std::isfinite(uLow) || !std::isfinite(uHigh) ||
        !coveredSpan(low, high, pixels, first, end)) {
        return;
    }
    double du = (uHigh - uLow) / (high - low);
    double repeatPixels = (high - low) / (uHigh - uLow);
    if (!(du > 0.0) || !std::isfinite(repeatPixels) || repeatPixels < 1.0) {
        layByPixel(low, uLow, du, texels, first, end, pieces);
        return;
    }

    // Repeat n covers the pixels whose centres lie in [edge(n), edge(n + 1)).
    auto edge = [&](double n) { return low + (n - uLow) * repeatPixels; };
    double firstRepeat = std::floor(uLow + (static_cast<double>(first) + 0.5 - low) * du);
    double lastRepeat = std::floor(uLow + (static_cast<double>(end) - 0.5 - low) * du);
    // Beyond 2^50 a step of one repeat is lost in the doubles' rounding.
    if (!(lastRepeat - firstRepeat <= static_cast<double>(pixels) + 1.0) || std::fabs(firstRepeat) > 1e15 ||
        std::fabs(lastRepeat) > 1e15) {
        layByPixel(low, uLow, du, texels, first, end, pieces);
        return;
    }

    double texelPixels = repeatPixels / static_cast<double>(texels);
    for (double n = firstRepeat; n <= lastRepeat; n += 1.0) {
        double repeatLow = edge(n);
        int repeatStart = firstPixelFrom(repeatLow, pixels);
        int repeatEnd = firstPixelFrom(edge(n + 1.0), pixels);
        int a = std::max(first, repeatStart);
        int b = std::min(end, repeatEnd);
        if (a >= b) {
            continue;
        }
        // Compared unclamped: a repeat cut by the buffer's edge is not whole.
        bool whole = std::ceil(repeatLow - 0.5) >= static_cast<double>(first) &&
                     std::ceil(edge(n + 1.0) - 0.5) <= static_cast<double>(end);
        if (whole) {
            addPiece(pieces, 0, texels, a, b);
            continue;
        }
        // A repeat cut by the quad's or the buffer's edge: show exactly the texels that fall inside.
        auto texelAt = [&](int pixel) {
            double t = std::floor((static_cast<double>(pixel) + 0.5 - repeatLow) / texelPixels);
            return static_cast<int>(std::clamp(t, 0.0, static_cast<double>(texels - 1)));
        };
        int firstTexel = texelAt(a);
        int lastTexel = std::max(firstTexel, texelAt(b - 1));
        if (texelPixels < 1.0 || lastTexel == firstTexel) {
            addPiece(pieces, firstTexel, lastTexel - firstTexel + 1, a, b);
            continue;
        }
        auto texelStartPixel = [&](int texel) {
            int pixel = firstPixelFrom(repeatLow + static_cast<double>(texel) * texelPixels, pixels);
            return std::clamp(pixel, a, b);
        };
        int middleStart = texelStartPixel(firstTexel + 1);
        int lastStart = texelStartPixel(lastTexel);
        addPiece(pieces, firstTexel, 1, a, middleStart);
        addPiece(pieces, firstTexel + 1, lastTexel - firstTexel - 1, middleStart, lastStart);
        addPiece(pieces, lastTexel, 1, lastStart, b);
    }
}

void sampleAxis(double low, double high, double uLow, double uHigh, int texels, int pixels,
                AxisSamples& samples) {
    layAxis(low, high, uLow, uHigh, texels, pixels, samples.pieces);
    samples.texels.clear();
    samples.oneToOne.clear();
    samples.first = samples.pieces.empty() ? 0 : samples.pieces.front().pixelStart;
    if (samples.pieces.empty()) {
        return;
    }
    const double du = (uHigh - uLow) / (high - low);
    for (const AxisPiece& piece : samples.pieces) {
        const std::uint8_t oneToOne = piece.texelCount == piece.pixelCount ? 1 : 0;
        for (int pixel = piece.pixelStart; pixel < piece.pixelStart + piece.pixelCount; ++pixel) {
            const double u = uLow + (static_cast<double>(pixel) + 0.5 - low) * du;
            samples.texels.push_back(std::isfinite(u) ? wrapTexel(u, texels) : 0);
            samples.oneToOne.push_back(oneToOne);
        }
    }
}

PixelRect letterboxRect(int bufferWidth, int bufferHeight, int outputWidth, int outputHeight) {
    if (bufferWidth <= 0 || bufferHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) {
        return {};
    }
    double scale = std::min(static_cast<double>(outputWidth) / bufferWidth,
                            static_cast<double>(outputHeight) / bufferHeight);
    int width = std::clamp(static_cast<int>(std::lround(bufferWidth * scale)), 1, outputWidth);
    int height = std::clamp(static_cast<int>(std::lround(bufferHeight * scale)), 1, outputHeight);
    return {(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}
