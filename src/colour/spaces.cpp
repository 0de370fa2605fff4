#include "colour/spaces.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace colour {

namespace {

using Matrix = double[3][3];

Triple Apply(const Matrix& m, const Triple& v) {
  return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
          m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
          m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

// CSS Color 4's matrices, written as the rationals it derives them from
// where it does, so that nothing is lost to rounding.
constexpr Matrix kLinearSrgbToXyz{{506752.0 / 1228815, 87881.0 / 245763, 12673.0 / 70218},
                                  {87098.0 / 409605, 175762.0 / 245763, 12673.0 / 175545},
                                  {7918.0 / 409605, 87881.0 / 737289, 1001167.0 / 1053270}};
constexpr Matrix kXyzToLinearSrgb{{12831.0 / 3959, -329.0 / 214, -1974.0 / 3959},
                                  {-851781.0 / 878810, 1648619.0 / 878810, 36519.0 / 878810},
                                  {705.0 / 12673, -2585.0 / 12673, 705.0 / 667}};
constexpr Matrix kLinearP3ToXyz{{608311.0 / 1250200, 189793.0 / 714400, 198249.0 / 1000160},
                                {35783.0 / 156275, 247089.0 / 357200, 198249.0 / 2500400},
                                {0, 32229.0 / 714400, 5220557.0 / 5000800}};
constexpr Matrix kD50ToD65{{0.955473421488075, -0.02309845494876471, 0.06325924320057072},
                           {-0.0283697093338637, 1.0099953980813041, 0.021041441191917323},
                           {0.012314014864481998, -0.020507649298898964, 1.330365926242124}};
constexpr Triple kD50White{0.3457 / 0.3585, 1.0, (1.0 - 0.3457 - 0.3585) / 0.3585};

// Ottosson's Oklab, from linear sRGB through LMS.
constexpr Matrix kLinearSrgbToLms{{0.4122214708, 0.5363325363, 0.0514459929},
                                  {0.2119034982, 0.6806995451, 0.1073969566},
                                  {0.0883024619, 0.2817188376, 0.6299787005}};
constexpr Matrix kLmsToOklab{{0.2104542553, 0.7936177850, -0.0040720468},
                             {1.9779984951, -2.4285922050, 0.4505937099},
                             {0.0259040371, 0.7827717662, -0.8086757660}};
constexpr Matrix kOklabToLms{{1.0, 0.3963377774, 0.2158037573},
                             {1.0, -0.1055613458, -0.0638541728},
                             {1.0, -0.0894841775, -1.2914855480}};
constexpr Matrix kLmsToLinearSrgb{{4.0767416621, -3.3077115913, 0.2309699292},
                                  {-1.2684380046, 2.6097574011, -0.3413193965},
                                  {-0.0041960863, -0.7034186147, 1.7076147010}};

constexpr double kDegree = std::numbers::pi / 180;

// Rounding noise of the conversions must not count as leaving sRGB.
constexpr double kGamutSlack = 1e-6;

bool InGamut(const Triple& srgb) {
  const auto in = [](double v) { return v >= -kGamutSlack && v <= 1 + kGamutSlack; };
  return in(srgb.x) && in(srgb.y) && in(srgb.z);
}

Triple Clip(const Triple& srgb) {
  return {std::clamp(srgb.x, 0.0, 1.0), std::clamp(srgb.y, 0.0, 1.0), std::clamp(srgb.z, 0.0, 1.0)};
}

Triple OklabToSrgb(const Triple& lab) {
  const Triple linear = OklabToLinearSrgb(lab);
  return {LinearToSrgb(linear.x), LinearToSrgb(linear.y), LinearToSrgb(linear.z)};
}

Triple SrgbToOklab(const Triple& srgb) {
  return LinearSrgbToOklab({SrgbToLinear(srgb.x), SrgbToLinear(srgb.y), SrgbToLinear(srgb.z)});
}

double DeltaEOk(const Triple& a, const Triple& b) {
  return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// Within half an 8-bit step of sRGB, mapping would give the clipped colour
// and that rounds to the same word: nothing was visibly brought in.
bool NearGamut(const Triple& srgb) {
  const auto near = [](double v) { return v >= -0.5 / 255 && v <= 1 + 0.5 / 255; };
  return near(srgb.x) && near(srgb.y) && near(srgb.z);
}

ColourWord Round(const Triple& srgb) {
  // Decimal inputs that land on a half step (hwb(120 30% 50%) gives green
  // 127.5) come out a hair below it in binary; they round up, as written.
  const auto channel = [](double v) {
    return static_cast<Channel>(std::lround(std::clamp(v, 0.0, 1.0) * 255 + 1e-9));
  };
  return RGB(channel(srgb.x), channel(srgb.y), channel(srgb.z));
}

// The colour CSS Color 4 draws for a colour outside sRGB, given in OkLCh
// and in sRGB, in sRGB.
Triple GamutMap(const Triple& origin, const Triple& srgb) {
  constexpr double kJnd = 0.02;
  constexpr double kEpsilon = 0.0001;
  if (origin.x >= 1) return {1, 1, 1};
  if (origin.x <= 0) return {0, 0, 0};
  Triple clipped = Clip(srgb);
  if (DeltaEOk(SrgbToOklab(clipped), OklchToOklab(origin)) < kJnd) return clipped;
  double low = 0;
  double high = origin.y;
  bool lowInGamut = true;
  while (high - low > kEpsilon) {
    const double chroma = (low + high) / 2;
    const Triple current = OklchToOklab({origin.x, chroma, origin.z});
    const Triple candidate = OklabToSrgb(current);
    if (lowInGamut && InGamut(candidate)) {
      low = chroma;
      continue;
    }
    clipped = Clip(candidate);
    const double e = DeltaEOk(SrgbToOklab(clipped), current);
    if (e < kJnd) {
      if (kJnd - e < kEpsilon) return clipped;
      lowInGamut = false;
      low = chroma;
    } else {
      high = chroma;
    }
  }
  return clipped;
}

}  // namespace

double SrgbToLinear(double encoded) {
  const double magnitude = std::abs(encoded);
  const double linear =
      magnitude <= 0.04045 ? magnitude / 12.92 : std::pow((magnitude + 0.055) / 1.055, 2.4);
  return std::copysign(linear, encoded);
}

double LinearToSrgb(double linear) {
  const double magnitude = std::abs(linear);
  const double encoded =
      magnitude <= 0.0031308 ? magnitude * 12.92 : 1.055 * std::pow(magnitude, 1 / 2.4) - 0.055;
  return std::copysign(encoded, linear);
}

Triple LinearSrgbToXyzD65(const Triple& rgb) {
  return Apply(kLinearSrgbToXyz, rgb);
}

Triple XyzD65ToLinearSrgb(const Triple& xyz) {
  return Apply(kXyzToLinearSrgb, xyz);
}

Triple XyzD50ToD65(const Triple& xyz) {
  return Apply(kD50ToD65, xyz);
}

Triple LabToXyzD50(const Triple& lab) {
  constexpr double kappa = 24389.0 / 27;
  constexpr double epsilon = 216.0 / 24389;
  const double f1 = (lab.x + 16) / 116;
  const double f0 = lab.y / 500 + f1;
  const double f2 = f1 - lab.z / 200;
  const auto cube = [](double f) { return f * f * f; };
  const double x = cube(f0) > epsilon ? cube(f0) : (116 * f0 - 16) / kappa;
  const double y = lab.x > kappa * epsilon ? cube(f1) : lab.x / kappa;
  const double z = cube(f2) > epsilon ? cube(f2) : (116 * f2 - 16) / kappa;
  return {x * kD50White.x, y * kD50White.y, z * kD50White.z};
}

Triple LinearP3ToXyzD65(const Triple& rgb) {
  return Apply(kLinearP3ToXyz, rgb);
}

Triple LinearSrgbToOklab(const Triple& rgb) {
  const Triple lms = Apply(kLinearSrgbToLms, rgb);
  return Apply(kLmsToOklab, {std::cbrt(lms.x), std::cbrt(lms.y), std::cbrt(lms.z)});
}

Triple OklabToLinearSrgb(const Triple& lab) {
  const Triple root = Apply(kOklabToLms, lab);
  return Apply(kLmsToLinearSrgb,
               {root.x * root.x * root.x, root.y * root.y * root.y, root.z * root.z * root.z});
}

Triple OklchToOklab(const Triple& lch) {
  return {lch.x, lch.y * std::cos(lch.z * kDegree), lch.y * std::sin(lch.z * kDegree)};
}

Triple OklabToOklch(const Triple& lab) {
  double hue = std::atan2(lab.z, lab.y) / kDegree;
  if (hue < 0) hue += 360;
  return {lab.x, std::hypot(lab.y, lab.z), hue};
}

Triple WordToOklab(ColourWord word) {
  return SrgbToOklab(
      {ColorPart(word, 0) / 255.0, ColorPart(word, 1) / 255.0, ColorPart(word, 2) / 255.0});
}

Mapped ToWord(const Triple& srgb) {
  if (NearGamut(srgb)) return {Round(srgb), false};
  return {Round(GamutMap(OklabToOklch(SrgbToOklab(srgb)), srgb)), true};
}

Triple OklchToLinearSrgb(const Triple& lch) {
  return OklabToLinearSrgb(
      OklchToOklab({std::clamp(lch.x, 0.0, 1.0), std::max(lch.y, 0.0), lch.z}));
}

Mapped OklchToWord(const Triple& lch) {
  const Triple linear = OklchToLinearSrgb(lch);
  const Triple srgb{LinearToSrgb(linear.x), LinearToSrgb(linear.y), LinearToSrgb(linear.z)};
  if (NearGamut(srgb)) return {Round(srgb), false};
  const Triple origin{std::clamp(lch.x, 0.0, 1.0), std::max(lch.y, 0.0), lch.z};
  return {Round(GamutMap(origin, srgb)), true};
}

bool Range::Holds(const Triple& value) const {
  return value.x >= low.x && value.x <= high.x && value.y >= low.y && value.y <= high.y &&
         value.z >= low.z && value.z <= high.z;
}

Range EncodedRange(ColourWord word, double margin) {
  const auto bound = [&](std::int16_t part, double side) {
    return (ColorPart(word, part) + side * (0.5 - margin)) / 255;
  };
  return {{bound(0, -1), bound(1, -1), bound(2, -1)}, {bound(0, 1), bound(1, 1), bound(2, 1)}};
}

Range LinearRange(ColourWord word, double margin) {
  const Range encoded = EncodedRange(word, margin);
  const auto linear = [](const Triple& t) {
    return Triple{SrgbToLinear(t.x), SrgbToLinear(t.y), SrgbToLinear(t.z)};
  };
  return {linear(encoded.low), linear(encoded.high)};
}

Triple HslToSrgb(double hue, double saturation, double lightness) {
  const double amount = saturation * std::min(lightness, 1 - lightness);
  const auto channel = [&](double n) {
    const double k = std::fmod(n + hue / 30, 12);
    return lightness - amount * std::max(-1.0, std::min({k - 3, 9 - k, 1.0}));
  };
  return {channel(0), channel(8), channel(4)};
}

}  // namespace colour
