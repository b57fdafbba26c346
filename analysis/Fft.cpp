#include "analysis/Fft.h"

#include <bit>
#include <cmath>
#include <utility>

// A block of P complex points is transformed in one of two kinds:
// - first kind: the plain transform, Y[m] = sum of x[j] exp(2 pi i j m / P);
// - second kind: every frequency half a bin higher, Y[m] = sum of x[j] exp(2 pi i j (m + 1/2) / P).
// A middle stage over a block runs a radix-4 butterfly on point j of its four quarters and leaves
// each quarter as a block of P / 4 points holding the outputs m = 4 m' + r, r = 0, 2, 1, 3 for
// quarters 0 to 3. Quarters 0 and 2 come out of the first kind, quarter 1 of the second kind (the
// first kind defers its twiddle exp(2 pi i 2j / P) into it) and quarter 3 of the parent's kind.
// The outputs of every block thus end in bit-reversed order, which the final permutation undoes.
// All sums and twiddles are double; the data array is read and written as float.

namespace
{

struct Cx
{
    double re;
    double im;
};

inline Cx operator+(Cx a, Cx b)
{
    return {a.re + b.re, a.im + b.im};
}

inline Cx operator-(Cx a, Cx b)
{
    return {a.re - b.re, a.im - b.im};
}

inline Cx operator*(Cx a, Cx b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

inline Cx timesI(Cx a)
{
    return {-a.im, a.re};
}

// exp(i (pi/2 - angle)) from exp(i angle), and its negation: the twiddles of the mirrored index.
inline Cx swapped(Cx a)
{
    return {a.im, a.re};
}

inline Cx negSwapped(Cx a)
{
    return {-a.im, -a.re};
}

inline Cx unitRoot(double angle)
{
    return {std::cos(angle), std::sin(angle)};
}

inline Cx load(const float* p)
{
    return {p[0], p[1]};
}

inline void store(float* p, Cx v)
{
    p[0] = static_cast<float>(v.re);
    p[1] = static_cast<float>(v.im);
}

constexpr double kPi = 3.141592653589793;
constexpr double kCos4 = 0.7071067811865476;   // cos(pi/4)
constexpr double kCos8 = 0.9238795325112867;   // cos(pi/8)
constexpr double kSin8 = 0.3826834323650898;   // sin(pi/8)
constexpr double kCos16 = 0.9807852804032304;  // cos(pi/16)
constexpr double kSin16 = 0.19509032201612828; // sin(pi/16)
constexpr double kCos316 = 0.8314696123025452; // cos(3 pi/16)
constexpr double kSin316 = 0.5555702330196022; // sin(3 pi/16)

constexpr Cx kEighth{kCos4, kCos4};        // exp(i pi/4)
constexpr Cx kThreeEighths{-kCos4, kCos4}; // exp(3i pi/4)

// Twiddles of the recurrence drift by a few units in the last place per step; re-seeding
// every 32 butterfly iterations keeps them far below single-precision resolution.
constexpr int kReseedInterval = 32;

enum class Kind
{
    first,
    second
};

Kind quarterKind(int quarter, Kind parent)
{
    if (quarter == 1)
        return Kind::second;
    return quarter == 3 ? parent : Kind::first;
}

// The four twiddles of a second-kind butterfly at j: with t = exp(i pi j / P), the outputs of
// quarters 0 and 1 need t and exp(i pi/4) t, those of quarters 2 and 3 t^3 and exp(3i pi/4) t^3.
struct SecondTwiddles
{
    Cx t1;
    Cx t1r;
    Cx t3;
    Cx t3r;
};

SecondTwiddles secondTwiddles(Cx t1, Cx t3)
{
    return {t1, kEighth * t1, t3, kThreeEighths * t3};
}

// At P/4 - j the twiddles are those at j turned about pi/8 (first kind: pi/4).
SecondTwiddles mirrored(const SecondTwiddles& t)
{
    return {swapped(t.t1r), swapped(t.t1), negSwapped(t.t3r), negSwapped(t.t3)};
}

constexpr SecondTwiddles kSecondAtEighth{
    {kCos8, kSin8}, {kSin8, kCos8}, {kSin8, kCos8}, {-kCos8, -kSin8}};

// ---- Butterflies on four points, one from each quarter --------------------------------------

inline void butterflyFirstPlain(Cx& x0, Cx& x1, Cx& x2, Cx& x3)
{
    const Cx s02 = x0 + x2;
    const Cx d02 = x0 - x2;
    const Cx s13 = x1 + x3;
    const Cx d13 = timesI(x1 - x3);
    x0 = s02 + s13;
    x1 = s02 - s13;
    x2 = d02 + d13;
    x3 = d02 - d13;
}

inline void butterflyFirst(Cx& x0, Cx& x1, Cx& x2, Cx& x3, Cx w1, Cx w3)
{
    butterflyFirstPlain(x0, x1, x2, x3);
    x2 = x2 * w1;
    x3 = x3 * w3;
}

// The second kind at j = 0, where t = 1.
inline void butterflySecondPlain(Cx& x0, Cx& x1, Cx& x2, Cx& x3)
{
    const Cx u = x0 + timesI(x2);
    const Cx p = x0 - timesI(x2);
    const Cx a = x1 + timesI(x3);
    const Cx b = x1 - timesI(x3);
    const Cx v{kCos4 * (a.re - a.im), kCos4 * (a.re + a.im)};
    const Cx q{-kCos4 * (b.re + b.im), kCos4 * (b.re - b.im)};
    x0 = u + v;
    x1 = u - v;
    x2 = p + q;
    x3 = p - q;
}

inline void butterflySecond(Cx& x0, Cx& x1, Cx& x2, Cx& x3, const SecondTwiddles& t)
{
    const Cx u = (x0 + timesI(x2)) * t.t1;
    const Cx v = (x1 + timesI(x3)) * t.t1r;
    const Cx p = (x0 - timesI(x2)) * t.t3;
    const Cx q = (x1 - timesI(x3)) * t.t3r;
    x0 = u + v;
    x1 = u - v;
    x2 = p + q;
    x3 = p - q;
}

// ---- Closing kernels ------------------------------------------------------------------------

void kernel2(Cx* x, Kind kind)
{
    const Cx a = x[0];
    const Cx b = kind == Kind::first ? x[1] : timesI(x[1]);
    x[0] = a + b;
    x[1] = a - b;
}

void kernel4(Cx* x, Kind kind)
{
    if (kind == Kind::first)
        butterflyFirstPlain(x[0], x[1], x[2], x[3]);
    else
        butterflySecondPlain(x[0], x[1], x[2], x[3]);
}

template <int kPoints> void loadPoints(const float* a, Cx (&x)[kPoints])
{
    for (int k = 0; k < kPoints; ++k)
        x[k] = load(a + 2 * k);
}

template <int kPoints> void storePoints(float* a, const Cx (&x)[kPoints])
{
    for (int k = 0; k < kPoints; ++k)
        store(a + 2 * k, x[k]);
}

void kernel8(float* a, Kind kind)
{
    Cx x[8];
    loadPoints(a, x);
    if (kind == Kind::first)
    {
        butterflyFirstPlain(x[0], x[2], x[4], x[6]);
        butterflyFirst(x[1], x[3], x[5], x[7], kEighth, kThreeEighths);
    }
    else
    {
        butterflySecondPlain(x[0], x[2], x[4], x[6]);
        butterflySecond(x[1], x[3], x[5], x[7], kSecondAtEighth);
    }
    for (int q = 0; q < 4; ++q)
        kernel2(x + 2 * q, quarterKind(q, kind));
    storePoints(a, x);
}

void kernel16(float* a, Kind kind)
{
    // Twiddles of the butterflies j = 1, 2, 3: first kind exp(i pi j/8) and exp(3i pi j/8).
    constexpr Cx kFirst[3][2] = {{{kCos8, kSin8}, {kSin8, kCos8}},
                                 {kEighth, kThreeEighths},
                                 {{kSin8, kCos8}, {-kCos8, -kSin8}}};
    constexpr SecondTwiddles kSecond[3] = {
        {{kCos16, kSin16}, {kSin316, kCos316}, {kCos316, kSin316}, {-kCos16, kSin16}},
        kSecondAtEighth,
        {{kCos316, kSin316}, {kSin16, kCos16}, {-kSin16, kCos16}, {-kSin316, -kCos316}}};
    Cx x[16];
    loadPoints(a, x);
    if (kind == Kind::first)
    {
        butterflyFirstPlain(x[0], x[4], x[8], x[12]);
        for (int j = 1; j < 4; ++j)
            butterflyFirst(x[j], x[j + 4], x[j + 8], x[j + 12], kFirst[j - 1][0], kFirst[j - 1][1]);
    }
    else
    {
        butterflySecondPlain(x[0], x[4], x[8], x[12]);
        for (int j = 1; j < 4; ++j)
            butterflySecond(x[j], x[j + 4], x[j + 8], x[j + 12], kSecond[j - 1]);
    }
    for (int q = 0; q < 4; ++q)
        kernel4(x + 4 * q, quarterKind(q, kind));
    storePoints(a, x);
}

// ---- Middle stages --------------------------------------------------------------------------

// exp(i k angle) for k = 1, 2, ...: the recurrence w(k + 1) = w(k) exp(i angle), re-seeded from
// cos and sin after every kReseedInterval steps.
class Rotor
{
  public:
    Rotor(double angle, Cx step) : angle_(angle), step_(step), value_(step) {}

    Cx value() const { return value_; }

    void advanceTo(int k)
    {
        value_ = (k - 1) % kReseedInterval == 0 ? unitRoot(k * angle_) : value_ * step_;
    }

  private:
    double angle_;
    Cx step_;
    Cx value_;
};

// exp(2 pi i / P) and exp(i pi / P): the first twiddles of the two kinds of stage over P points.
struct StageRoots
{
    Cx first;
    Cx second;
};

StageRoots stageRoots(int points)
{
    const double angle = kPi / points;
    return {unitRoot(2.0 * angle), unitRoot(angle)};
}

// A stage over 4m points handles j = 0 and j = m/2 with exact twiddles and the other indices in
// pairs (j, m - j), whose twiddles follow from each other without arithmetic.
struct Quarters
{
    float* base;
    int m;

    void first(int j, Cx w1, Cx w3) const
    {
        apply(j, [&](Cx& x0, Cx& x1, Cx& x2, Cx& x3) { butterflyFirst(x0, x1, x2, x3, w1, w3); });
    }

    void second(int j, const SecondTwiddles& t) const
    {
        apply(j, [&](Cx& x0, Cx& x1, Cx& x2, Cx& x3) { butterflySecond(x0, x1, x2, x3, t); });
    }

    template <typename Butterfly> void apply(int j, Butterfly butterfly) const
    {
        float* p0 = base + 2 * j;
        float* p1 = p0 + 2 * m;
        float* p2 = p1 + 2 * m;
        float* p3 = p2 + 2 * m;
        Cx x0 = load(p0);
        Cx x1 = load(p1);
        Cx x2 = load(p2);
        Cx x3 = load(p3);
        butterfly(x0, x1, x2, x3);
        store(p0, x0);
        store(p1, x1);
        store(p2, x2);
        store(p3, x3);
    }
};

void stageFirst(float* a, int points, Cx root)
{
    const Quarters q{a, points / 4};
    q.apply(0, butterflyFirstPlain);
    q.first(q.m / 2, kEighth, kThreeEighths);
    const double angle = 2.0 * kPi / points;
    Rotor w1(angle, root);
    Rotor w3(3.0 * angle, root * root * root);
    for (int j = 1; j < q.m / 2; ++j)
    {
        if (j > 1)
        {
            w1.advanceTo(j);
            w3.advanceTo(j);
        }
        q.first(j, w1.value(), w3.value());
        q.first(q.m - j, swapped(w1.value()), negSwapped(w3.value()));
    }
}

void stageSecond(float* a, int points, Cx root)
{
    const Quarters q{a, points / 4};
    q.apply(0, butterflySecondPlain);
    q.second(q.m / 2, kSecondAtEighth);
    const double angle = kPi / points;
    Rotor t1(angle, root);
    Rotor t3(3.0 * angle, root * root * root);
    for (int j = 1; j < q.m / 2; ++j)
    {
        if (j > 1)
        {
            t1.advanceTo(j);
            t3.advanceTo(j);
        }
        const SecondTwiddles t = secondTwiddles(t1.value(), t3.value());
        q.second(j, t);
        q.second(q.m - j, mirrored(t));
    }
}

void stage(Kind kind, float* a, int points, const StageRoots& roots)
{
    if (kind == Kind::first)
        stageFirst(a, points, roots.first);
    else
        stageSecond(a, points, roots.second);
}

// ---- Finishes and leaves: a block whose own stage is done --------------------------------------

// 64 floats: four 8-point kernels.
void finish64(float* a, Kind kind)
{
    for (int q = 0; q < 4; ++q)
        kernel8(a + 16 * q, quarterKind(q, kind));
}

// 128 floats: four 16-point kernels.
void finish128(float* a, Kind kind)
{
    for (int q = 0; q < 4; ++q)
        kernel16(a + 32 * q, quarterKind(q, kind));
}

// 256 floats: four stages of 32 points, each closed by 8-point kernels.
void leaf256(float* a, Kind kind, const StageRoots& roots32)
{
    for (int q = 0; q < 4; ++q)
    {
        const Kind k = quarterKind(q, kind);
        stage(k, a + 64 * q, 32, roots32);
        finish64(a + 64 * q, k);
    }
}

// 512 floats: four stages of 64 points, each closed by 16-point kernels.
void leaf512(float* a, Kind kind, const StageRoots& roots64)
{
    for (int q = 0; q < 4; ++q)
    {
        const Kind k = quarterKind(q, kind);
        stage(k, a + 128 * q, 64, roots64);
        finish128(a + 128 * q, k);
    }
}

// The kind of block `index` among the blocks of one size, counted from the start of the array:
// its base-4 digits are the quarter positions from the whole array down; the last digit that is
// not 3 decides (1: second kind, 0 or 2: first kind), all 3s lead back to the whole array.
Kind blockKind(int index)
{
    while ((index & 3) == 3)
        index >>= 2;
    return (index & 3) == 1 ? Kind::second : Kind::first;
}

constexpr int kMaxLevels = 4;

// Arrays above 512 floats whose own stage is done. The leaves (512 floats when the point count
// is a power of 4, else 256) are walked from the end of the array to its start; before each, the
// stages of every block whose last leaf it is have become due and run, largest first. The first
// leaf reached is the last one, below a chain of last quarters, all of the first kind.
void recursiveStage(float* a, int n)
{
    const bool powerOfFour = std::countr_zero(static_cast<unsigned>(n)) % 2 == 1;
    const int leafFloats = powerOfFour ? 512 : 256;
    const int leaves = n / leafFloats;
    StageRoots roots[kMaxLevels];
    int levels = 0;
    for (int span = 1; span < leaves; span *= 4)
        roots[levels++] = stageRoots(span * leafFloats / 2);
    const StageRoots leafRoots = stageRoots(leafFloats / 8);

    for (int leaf = leaves - 1; leaf >= 0; --leaf)
    {
        Kind kind = Kind::first;
        for (int level = levels - 1, span = leaves / 4; level >= 0; --level, span /= 4)
        {
            if ((leaf + 1) % span != 0)
                continue;
            const int block = leaf / span;
            const int floats = span * leafFloats;
            kind = blockKind(block);
            stage(kind, a + block * floats, floats / 2, roots[level]);
        }
        if (powerOfFour)
            leaf512(a + leaf * leafFloats, kind, leafRoots);
        else
            leaf256(a + leaf * leafFloats, kind, leafRoots);
    }
}

// ---- Permutations ---------------------------------------------------------------------------

inline void swapPoints(float* a, int i, int j)
{
    std::swap(a[2 * i], a[2 * j]);
    std::swap(a[2 * i + 1], a[2 * j + 1]);
}

void reorder8(float* a)
{
    swapPoints(a, 1, 4);
    swapPoints(a, 3, 6);
}

void reorder16(float* a)
{
    swapPoints(a, 1, 8);
    swapPoints(a, 2, 4);
    swapPoints(a, 3, 12);
    swapPoints(a, 5, 10);
    swapPoints(a, 7, 14);
    swapPoints(a, 11, 13);
}

// Swaps every point with the one at its bit-reversed index. The reversed index r of i is kept
// as a counter: stepping i to i + 1 flips its lowest t + 1 bits (t = trailing ones of i), so r
// flips its highest t + 1 bits.
void bitReverse(float* a, int points)
{
    int r = 0;
    for (int i = 0; i < points - 1; ++i)
    {
        if (i < r)
            swapPoints(a, i, r);
        r ^= points - (points >> (std::countr_one(static_cast<unsigned>(i)) + 1));
    }
}

void transform2(float* a)
{
    Cx x[2];
    loadPoints(a, x);
    kernel2(x, Kind::first);
    storePoints(a, x);
}

// Four points in natural order: X1 and X2 trade places against the kernels' order.
void transform4(float* a)
{
    Cx x[4];
    loadPoints(a, x);
    kernel4(x, Kind::first);
    std::swap(x[1], x[2]);
    storePoints(a, x);
}

} // namespace

bool fftForward(float* data, int n)
{
    if (data == nullptr || n < kFftMinFloats || n > kFftMaxFloats ||
        !std::has_single_bit(static_cast<unsigned>(n)))
        return false;
    const int points = n / 2;
    switch (n)
    {
    case 4:
        transform2(data);
        return true;
    case 8:
        transform4(data);
        return true;
    case 16:
        kernel8(data, Kind::first);
        reorder8(data);
        return true;
    case 32:
        kernel16(data, Kind::first);
        reorder16(data);
        return true;
    default:
        break;
    }
    const StageRoots roots = stageRoots(points);
    stageFirst(data, points, roots.first);
    if (n == 64)
        finish64(data, Kind::first);
    else if (n == 128)
        finish128(data, Kind::first);
    else if (n == 256)
        leaf256(data, Kind::first, stageRoots(32));
    else if (n == 512)
        leaf512(data, Kind::first, stageRoots(64));
    else
        recursiveStage(data, n);
    bitReverse(data, points);
    return true;
}
