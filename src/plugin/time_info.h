#pragma once
// Transport information handed to the processor with every block.

struct ITimeInfo
{
  double mTempo = 0.0;         // beats per minute; 0 until the host reports one
  double mSamplePos = -1.0;    // project time in samples, -1 when unknown
  double mPPQPos = 0.0;        // musical position in quarter notes
  double mLastBar = 0.0;       // start of the last bar in quarter notes
  double mCycleStart = 0.0;    // in quarter notes
  double mCycleEnd = 0.0;      // in quarter notes
  int mNumerator = 0;          // time signature
  int mDenominator = 0;
  bool mTransportIsRunning = false;
  bool mTransportLoop = false;
};
