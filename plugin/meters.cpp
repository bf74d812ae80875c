#include "plugin/meters.h"

#include <cmath>
#include <new>

#include "fx/igraphics.h"

const IArgb kMeterColour(150, 255, 202, 63);

namespace {

const IDrawBlend kMeterBlend(MixAlpha, 1.0f);

// Pixel coordinates far outside any bitmap are all the same to the raster calls; limiting them first
// keeps the conversion to an integer defined.
constexpr double kFarAway = 1.0e6;

int ToPixel(double v) {
  if (v > kFarAway) return static_cast<int>(kFarAway);
  if (v < -kFarAway) return static_cast<int>(-kFarAway);
  return static_cast<int>(v);
}

}  // namespace

double TransferColumn(const IBox& area, double levelDb) {
  // 0.0208333333333333 stands for 1/48: -48 dB at the left edge, 0 dB at the right edge.
  return std::round((area.mRight - area.mLeft) * (levelDb * 0.0208333333333333 + 1.0) + area.mLeft);
}

double TransferRow(const IBox& area, double gainDb) {
  // 0.0416666666666667 stands for 1/24: +12 dB at the top, -12 dB at the bottom.
  return std::round(area.mBottom - (area.mBottom - area.mTop) * (gainDb * 0.0416666666666667 + 0.5));
}

// ---------------------------------------------------------------------------------------------
// IGainReduction

IGainReduction::IGainReduction(IFxBase* plug) : IControl(plug, IBox(), -1, &kMeterBlend) {}

void IGainReduction::AcceptParamValue(double value) {
  mLevel.store(value, std::memory_order_relaxed);
  mChanged.store(true, std::memory_order_relaxed);
}

bool IGainReduction::BarFor(const IBox& area, double value, IBox* bar) {
  if (std::isnan(value)) return false;
  const int half = (area.mBottom - area.mTop) / 2;
  const double g = value * 24.0 - 12.0;
  // The extent is decided in floating point and never leaves the area's half.
  double extent = std::fabs(g / 12.0 * half);
  if (!(extent <= half)) extent = half;
  const int d = static_cast<int>(extent);
  const int middle = area.mTop + half;
  if (g > 0.0) {
    *bar = IBox(area.mLeft, middle - d, area.mRight, middle);
  } else {
    *bar = IBox(area.mLeft, middle, area.mRight, middle + d);
  }
  return true;
}

bool IGainReduction::DrawInto(IGraphics* graphics) {
  IBox bar;
  if (!BarFor(mRect, Level(), &bar)) return true;
  return graphics->FillArea(kMeterColour, bar, nullptr);
}

// ---------------------------------------------------------------------------------------------
// IGainTransfer

IGainTransfer::IGainTransfer(IFxBase* plug, const IBox& area)
    : IControl(plug, IBox(), -1, &kMeterBlend) {
  mRect = area;  // the drawing area only: the hit area stays empty
  const int width = area.mRight - area.mLeft;
  if (width > 0) {
    mCurveInDb = new (std::nothrow) std::atomic<double>[width];
    mCurveGainDb = new (std::nothrow) std::atomic<double>[width];
    if (mCurveInDb && mCurveGainDb) {
      mCurveLength = width;
      for (int i = 0; i < width; ++i) {
        mCurveInDb[i].store(0.0, std::memory_order_relaxed);
        mCurveGainDb[i].store(0.0, std::memory_order_relaxed);
      }
    }
  }
}

IGainTransfer::~IGainTransfer() {
  delete[] mCurveInDb;
  delete[] mCurveGainDb;
}

void IGainTransfer::WritePoint(double levelDb, double gainDb) {
  if (mCurveLength < 1) return;
  if (mCurveCursor < 0 || mCurveCursor >= mCurveLength) mCurveCursor = 0;
  mCurveInDb[mCurveCursor].store(levelDb, std::memory_order_relaxed);
  mCurveGainDb[mCurveCursor].store(gainDb, std::memory_order_relaxed);
  if (++mCurveCursor >= mCurveLength) mCurveCursor = 0;
}

double IGainTransfer::LevelAt(int i) const {
  return i >= 0 && i < mCurveLength ? mCurveInDb[i].load(std::memory_order_relaxed) : 0.0;
}

double IGainTransfer::GainAt(int i) const {
  return i >= 0 && i < mCurveLength ? mCurveGainDb[i].load(std::memory_order_relaxed) : 0.0;
}

bool IGainTransfer::DrawInto(IGraphics* graphics) {
  if (mSource) mSource->BringCurveUpToDate();
  int count = mRect.mRight - mRect.mLeft;
  if (count > mCurveLength) count = mCurveLength;
  double px = 0.0, py = 0.0;
  for (int i = 0; i < count; ++i) {
    const double x = TransferColumn(mRect, LevelAt(i));
    const double y = TransferRow(mRect, GainAt(i));
    if (i == 0) {
      px = x;
      py = y;
    }
    // A point that is not a number is never drawn, nor is a segment starting from one.
    if (x > mRect.mLeft && y > mRect.mTop && std::isfinite(px) && std::isfinite(py)) {
      graphics->StrokeLine(kMeterColour, static_cast<float>(ToPixel(px)),
                           static_cast<float>(ToPixel(py)), static_cast<float>(ToPixel(x)),
                           static_cast<float>(ToPixel(y)), nullptr, true);
    }
    px = x;
    py = y;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// IGainDot

IGainDot::IGainDot(IFxBase* plug) : IControl(plug, IBox(), -1, &kMeterBlend) {}

void IGainDot::SetLevels(double inputLevelDb, double gainChangeDb) {
  mInputLevelDb.store(inputLevelDb, std::memory_order_relaxed);
  mGainChangeDb.store(gainChangeDb, std::memory_order_relaxed);
}

bool IGainDot::DotFor(const IBox& area, double inputLevelDb, double gainChangeDb, int* x, int* y) {
  const double dx = TransferColumn(area, inputLevelDb);
  const double dy = TransferRow(area, gainChangeDb);
  // Minus infinity (a silent block) and NaN fail these tests; the decision is taken before either
  // coordinate becomes an integer.
  if (!(dx > area.mLeft && dy > area.mTop)) return false;
  *x = ToPixel(dx);
  *y = ToPixel(dy);
  return true;
}

bool IGainDot::DrawInto(IGraphics* graphics) {
  int x = 0, y = 0;
  if (DotFor(mRect, mInputLevelDb.load(std::memory_order_relaxed),
             mGainChangeDb.load(std::memory_order_relaxed), &x, &y)) {
    graphics->FillDisc(kMeterColour, x, y, 5.0f, nullptr, true);
  }
  return true;
}
