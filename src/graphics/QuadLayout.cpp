#include "graphics/QuadLayout.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// 128-bit integers, which GCC and Clang give on every target the game is built for: the edges
// and texture coordinates are worked out in them exactly, the same everywhere.
using Wide = __int128;

// A float as m × 2^e, exactly; m is odd, or 0 with e 0.
struct Dyadic {
    std::int64_t m = 0;
    int e = 0;
};

bool toDyadic(float value, Dyadic& out) {
    // memcpy, not std::bit_cast: the browser build's standard library has none.
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 23) & 0xFFu);
    if (biased == 0xFF) {
        return false;
    }
    std::int64_t m = bits & 0x7FFFFFu;
    int e = -149;
    if (biased != 0) {
        m |= 0x800000;
        e = biased - 150;
    }
    if (m == 0) {
        out = {};
        return true;
    }
    const int zeros = std::countr_zero(static_cast<std::uint64_t>(m));
    out = {(bits >> 31) != 0 ? -(m >> zeros) : m >> zeros, e + zeros};
    return true;
}

int bitLength(Wide value) {
    const auto magnitude = static_cast<unsigned __int128>(value < 0 ? -value : value);
    const auto high = static_cast<std::uint64_t>(magnitude >> 64);
    return high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<std::uint64_t>(magnitude));
}

// value × 2^shift, when that stays below 2^most in magnitude.
bool shifted(Wide value, int shift, int most, Wide& out) {
    if (shift < 0 || bitLength(value) + shift > most) {
        return false;
    }
    out = value * (Wide{1} << shift);
    return true;
}

Wide floorDiv(Wide a, Wide b) {
    Wide q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

Wide ceilDiv(Wide a, Wide b) {
    return -floorDiv(-a, b);
}

// Numbers far outside anything a room holds (beyond 2^30 units, or finer than 2^-56) may not
// fit the exact sums; they are first rounded, half to even, to 2^-20 units and held within
// ±2^30 units, which always fits, and is the same on every machine.
constexpr int CoarseGridBits = 20;
constexpr int CoarseLimitBits = 30;

Dyadic coarse(Dyadic d) {
    std::int64_t m = std::abs(d.m);
    int e = d.e;
    if (e < -CoarseGridBits) {
        const int drop = -CoarseGridBits - e;
        if (drop > 30) {
            m = 0; // the mantissa has 24 bits: less than half a step
        } else {
            const std::int64_t half = std::int64_t{1} << (drop - 1);
            const std::int64_t rest = m & ((half << 1) - 1);
            m >>= drop;
            if (rest > half || (rest == half && (m & 1) != 0)) {
                ++m;
            }
        }
        e = -CoarseGridBits;
    }
    if (m == 0) {
        return {}; // zero as every other zero, whatever its grid
    }
    // bit_width gives an unsigned number: e is negative here as often as not.
    if (static_cast<int>(std::bit_width(static_cast<std::uint64_t>(m))) + e > CoarseLimitBits) {
        m = 1;
        e = CoarseLimitBits;
    }
    return {d.m < 0 ? -m : m, e};
}

// An axis on the screen: its edges lie at nearEdge / scale and farEdge / scale pixels.
struct Edges {
    Wide nearEdge = 0;
    Wide farEdge = 0;
    Wide scale = 1;
};

bool exactEdges(const QuadAxis& axis, Dyadic position, Dyadic size, Edges& edges) {
    int low = 0;
    if (position.m != 0) {
        low = std::min(low, position.e);
    }
    if (size.m != 0) {
        low = std::min(low, size.e);
    }
    // Edges stay below 2^74 and the scale below 2^64, so the texture coordinates' products fit.
    constexpr int TermBits = 56;
    Wide place = 0;
    Wide length = 0;
    Wide offset = 0;
    if (!shifted(Wide{position.m} * 5, position.e - low, TermBits, place) ||
        !shifted(size.m, size.e - low, TermBits, length) ||
        !shifted(axis.offsetFifths, -low, TermBits, offset) ||
        !shifted(Wide{axis.roomUnits} * 5, -low, 64, edges.scale)) {
        return false;
    }
    const Wide base = place + offset;
    edges.nearEdge = (base + length * axis.nearSizeFifths) * axis.pixels;
    edges.farEdge = (base + length * axis.farSizeFifths) * axis.pixels;
    return true;
}

bool axisEdges(const QuadAxis& axis, Edges& edges) {
    Dyadic position;
    Dyadic size;
    if (axis.pixels <= 0 || axis.pixels > 8192 || axis.roomUnits <= 0 || std::abs(axis.offsetFifths) > 1000 ||
        std::abs(axis.nearSizeFifths) > 5 || std::abs(axis.farSizeFifths) > 5 ||
        !toDyadic(axis.position, position) || !toDyadic(axis.size, size)) {
        return false;
    }
    return exactEdges(axis, position, size, edges) || exactEdges(axis, coarse(position), coarse(size), edges);
}

bool coveredSpan(const QuadAxis& axis, const Edges& edges, int& first, int& end) {
    const Wide lower = std::min(edges.nearEdge, edges.farEdge);
    const Wide upper = std::max(edges.nearEdge, edges.farEdge);
    const Wide pixels = axis.pixels;
    first = static_cast<int>(std::clamp(ceilDiv(lower, edges.scale), Wide{0}, pixels));
    end = static_cast<int>(std::clamp(ceilDiv(upper, edges.scale), Wide{0}, pixels));
    return first < end;
}

bool multiplied(Wide a, Wide b, Wide& out) {
    return !__builtin_mul_overflow(a, b, &out);
}

// The texel of pixel j is floor(rep × texels × (j × scale − near) / (far − near)) mod texels,
// = floor((A + j × B) / den): walked from pixel to pixel with a whole quotient and a remainder.
struct TexelWalk {
    Wide quotient = 0; // mod texels
    Wide step = 0;     // mod texels
    Wide remainder = 0;
    Wide stepRemainder = 0;
    Wide den = 1;
};

bool startWalk(const Edges& edges, Dyadic rep, int texels, int first, TexelWalk& walk) {
    Wide mult = Wide{rep.m} * texels;
    Wide den = edges.farEdge - edges.nearEdge;
    if (den == 0 || !shifted(mult, std::max(rep.e, 0), 126, mult) ||
        !shifted(den, std::max(-rep.e, 0), 125, den)) {
        return false;
    }
    if (den < 0) {
        den = -den;
        mult = -mult;
    }
    Wide a = 0;
    Wide b = 0;
    Wide start = 0;
    Wide atFirst = 0;
    // Below 2^125, so that neither q × den nor a remainder and its step can overflow.
    if (!multiplied(-mult, edges.nearEdge, a) || !multiplied(mult, edges.scale, b) ||
        !multiplied(b, first, start) || __builtin_add_overflow(a, start, &atFirst) || bitLength(b) > 125 ||
        bitLength(atFirst) > 125) {
        return false;
    }
    const Wide q = floorDiv(atFirst, den);
    const Wide dq = floorDiv(b, den);
    walk.den = den;
    walk.remainder = atFirst - q * den;
    walk.stepRemainder = b - dq * den;
    walk.quotient = (q % texels + texels) % texels;
    walk.step = (dq % texels + texels) % texels;
    return true;
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

bool coveredPixels(const QuadAxis& axis, int& first, int& end) {
    first = end = 0;
    Edges edges;
    return axisEdges(axis, edges) && coveredSpan(axis, edges, first, end);
}

void sampleAxis(const QuadAxis& axis, int texels, AxisSamples& samples) {
    samples.first = 0;
    samples.texels.clear();
    Edges edges;
    Dyadic rep;
    int first = 0;
    int end = 0;
    if (texels <= 0 || !toDyadic(axis.repeat, rep) || !axisEdges(axis, edges) ||
        !coveredSpan(axis, edges, first, end)) {
        return;
    }
    TexelWalk walk;
    if (!startWalk(edges, rep, texels, first, walk) && !startWalk(edges, coarse(rep), texels, first, walk)) {
        return;
    }
    samples.first = first;
    samples.texels.resize(static_cast<std::size_t>(end - first));
    auto quotient = static_cast<std::int32_t>(walk.quotient);
    const auto step = static_cast<std::int32_t>(walk.step);
    for (std::int32_t& texel : samples.texels) {
        texel = quotient;
        quotient += step;
        walk.remainder += walk.stepRemainder;
        if (walk.remainder >= walk.den) {
            walk.remainder -= walk.den;
            ++quotient;
        }
        if (quotient >= texels) {
            quotient -= texels;
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
