// The plug-in's own editor controls: the gain-change bar, the transfer curve and the level dot drawn
// over it. The audio thread (or whichever thread delivers a parameter change) writes their values
// while the user-interface thread paints them at its timer tick, so every value they paint is held
// in an atomic: a paint may mix two blocks' values, never a half-written one. None of them takes
// mouse or key input (their hit area stays empty).
#pragma once

#include <atomic>
#include <limits>

#include "fx/icontrol.h"

// The audio thread stores these values: never through a lock.
static_assert(std::atomic<double>::is_always_lock_free, "meter values need lock-free atomics");
static_assert(std::atomic<bool>::is_always_lock_free, "repaint marks need lock-free atomics");

// Mapping of the transfer area: input level (dB) to a column, gain change (dB) to a row, each rounded
// to the nearest pixel with halves away from zero. Kept in floating point: the callers decide what
// is drawn before anything becomes an integer (a level may be minus infinity or not a number).
double TransferColumn(const IBox& area, double levelDb);
double TransferRow(const IBox& area, double gainDb);

// The colour all three draw with: (150, 255, 202, 63).
extern const IArgb kMeterColour;

// A vertical bar growing up (gain) or down (reduction) from the middle of its area; its value is
// 0..1, 0 standing for -12 dB, 0.5 for 0 dB and 1 for +12 dB.
class IGainReduction : public IControl {
 public:
  explicit IGainReduction(IFxBase* plug);
  // The value of the last block (any thread): stored for the next paint and the control marked.
  void AcceptParamValue(double value) override;
  bool DrawInto(IGraphics* graphics) override;

  double Level() const { return mLevel.load(std::memory_order_relaxed); }
  // The bar for a value in an area; false when there is none to draw (a value that is not a
  // number). A value of 0.5 gives a bar of no height.
  static bool BarFor(const IBox& area, double value, IBox* bar);

 private:
  std::atomic<double> mLevel{0.5};  // 0 dB until the first block
};

// What keeps a transfer view's curve current; asked before every paint of the view.
class ICurveSource {
 public:
  virtual ~ICurveSource() = default;
  virtual void BringCurveUpToDate() = 0;
};

// The transfer curve: the gain change against the input level, one point per pixel column.
class IGainTransfer : public IControl {
 public:
  // The curve arrays get one entry per pixel column of the area, all zero.
  IGainTransfer(IFxBase* plug, const IBox& area);
  ~IGainTransfer() override;
  // Brings the curve up to date through its source, then draws the polyline of its points.
  bool DrawInto(IGraphics* graphics) override;

  // Writer side (the plug-in, under its lock): the point at the cursor, which then advances and
  // wraps to 0 at the end of the arrays.
  void WritePoint(double levelDb, double gainDb);
  int Length() const { return mCurveLength; }
  double LevelAt(int i) const;
  double GainAt(int i) const;

  std::atomic<double>* mCurveInDb = nullptr;    // owned: input levels in dB, -48 upward
  std::atomic<double>* mCurveGainDb = nullptr;  // owned: gain change in dB at each level
  int mCurveLength = 0;                         // entries in each array
  int mCurveCursor = 0;                         // next index the plug-in writes
  ICurveSource* mSource = nullptr;              // not owned; null: the points are drawn as they are
};

// The dot at the last block's input level and gain change, drawn over the curve.
class IGainDot : public IControl {
 public:
  explicit IGainDot(IFxBase* plug);
  bool DrawInto(IGraphics* graphics) override;

  // The last block's values (any thread).
  void SetLevels(double inputLevelDb, double gainChangeDb);
  // Where the dot goes for two values in an area; false when it is not drawn (at or left of the
  // left edge, at or above the top edge, or a value that is not a number).
  static bool DotFor(const IBox& area, double inputLevelDb, double gainChangeDb, int* x, int* y);

  std::atomic<double> mInputLevelDb{-std::numeric_limits<double>::infinity()};  // no block yet: not drawn
  std::atomic<double> mGainChangeDb{0.0};
};
