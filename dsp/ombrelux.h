// The dynamics processor: saturation, a level envelope shared by three bands (TopComp, BtmComp,
// MidComp in series) and the gain-change report, run by the oversampling frame of AudioProcessor.
// Every call comes from the owner under the owner's lock; the engine has no lock of its own.
#pragma once

#include <array>
#include <cstdint>

#include "dsp/audioprocessor.h"
#include "dsp/compressors.h"
#include "dsp/follower.h"

struct TrackerChannel {
  double mEnv = 0.0;
  int32_t mRate = 44100;
  double mAttackCoef = 0.0;   // one-pole coefficients, set by the owner
  double mReleaseCoef = 0.0;
};

// Peak envelope follower over both channels.
struct EnvelopeTracker {
  TrackerChannel mLeft;
  TrackerChannel mRight;
  double* mBuffer = nullptr;  // envelope array of the current block
  double mBlockPeak = 0.0;    // largest envelope value of the last block

  // Writes one envelope value per frame into mBuffer: the larger channel envelope, 0 below 0.001.
  void Run(const double* left, const double* right, int frames);
  // The follower's work over interleaved frames, from the running envelopes, as a job that another
  // frame loop can carry; Finish takes the envelopes and the peak back.
  Dsp::FollowerJob Job(const double* interleaved, double* out, int frames) const;
  void Finish(const Dsp::FollowerJob& job);
};

class Ombrelux : public AudioProcessor {
 public:
  Ombrelux();

  void ProcessFrames(double* interleaved, int frames) override;
  void OnRateChanged() override;

  // Settings as the owner's parameters give them. Thresholds in dB become linear amplitudes.
  void SetTopThresholdDb(double db) { mTopComp.mThreshold = DbToGain(db); }
  void SetMidThresholdDb(double db) { mMidComp.mThreshold = DbToGain(db); }
  void SetBtmThresholdDb(double db) { mBtmComp.mThreshold = DbToGain(db); }
  void SetTopRatio(double ratio) { mTopComp.mRatio = ratio; }
  void SetMidRatio(double ratio) { mMidComp.mRatio = ratio; }
  void SetBtmRatio(double ratio) { mBtmComp.mRatio = ratio; }
  void SetDrive(double drive) { mSaturation = drive; }
  // One-pole tracker coefficients for a time constant in seconds, at each channel's tracker rate.
  void SetAttackSeconds(double seconds);
  void SetReleaseSeconds(double seconds);

  MidComp mMidComp;
  TopComp mTopComp;
  BtmComp mBtmComp;
  EnvelopeTracker mTracker;
  double mGainChangeDb = 0.0;     // largest single band change of the last block, signed dB
  double mSaturation = 0.0;       // drive; 0 switches the stage off
  bool mCurveMode = false;        // bands read mExternalEnvelope, no saturation, no tracker
  const double* mExternalEnvelope = nullptr;

 protected:
  bool ReserveScratch(size_t highFrames) override;
  // A block that passes unprocessed moves no level: 0 dB.
  void BlockLeftDry() override { mGainChangeDb = 0.0; }
  // The up filter a chunk at a time, each chunk saturated as it comes out of the filter, and the
  // tracker following every chunk while the filter works on the next: the same results as the
  // filter, ProcessFrames and the tracker in it one after the other.
  void FilterUpAndProcess(double* highRate, int highFrames, double* dry) override;

 private:
  static double DbToGain(double db);
  // Takes a band's change into the report where it is larger: `result` is the band's block
  // result, exp(exponent).
  void ReportBand(double result, double exponent);
  // tanh(drive x) / drive on every sample of the frames, when the stage is on. A job covering these
  // frames follows them alongside (after the stage, unchanged, when it is off) and is finished.
  void Saturate(double* interleaved, int frames, Dsp::FollowerJob* job = nullptr);
  // The bands from the tracker's envelope and the block's report.
  void BandsAndReport(double* interleaved, int frames);
  // The three bands over the interleaved block, from mExternalEnvelope; sets each band's mResult
  // and returns the natural logs of the three results (top, bottom, mid).
  std::array<double, 3> ApplyBands(double* interleaved, int frames);

  CachedLog mTopLow, mTopHigh, mMidLow, mMidHigh;  // logarithms of the bands' limits
  ScratchArray mEnvelopeArray;
};
