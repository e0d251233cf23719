#include "dsp/filters.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <type_traits>

namespace
{
constexpr double kTwoPi = 6.28318530717958647692;
// Added to the input of every recursion whose input can fall to exactly 0, so that decaying
// states settle near 1e-18 instead of sinking into denormal range.
constexpr float kAntiDenormal = 1e-18f;
// A one-pole coefficient in (0, 1) neither freezes nor overshoots, and keeps k finite.
constexpr float kMinOnePole = 0.00001f;
constexpr float kMaxOnePole = 0.99999f;
constexpr int kTopNote = 128;       // the tables hold this note's values above it
constexpr int kLimitKneeNote = 122; // the resonance limit falls from here to 0 at the top note
constexpr int kMonoChannel = 1;     // channel B
constexpr float kPostDamping = 1.0f;
constexpr int kN = VX_FilterBase::kBlockSize;

// ----- Note tables: 2048 entries plus a guard over notes -1024 ... 1023 (x = note / 128).

int TableNote(int i)
{
  return std::min(i - 1024, kTopNote);
}

double TablePhase(int i, float sampleRate)
{
  const double hz = 440.0 * std::pow(2.0, (TableNote(i) - 69) / 12.0);
  return kTwoPi * hz / sampleRate;
}

struct TablePoint
{
  int index;
  float fraction;
};

/** Where a normalized pitch falls in a note table, held inside it (NaN at the bottom). */
TablePoint NotePoint(float cutoff)
{
  constexpr float kLast = static_cast<float>(VX_FilterBase::kTableSize);
  float j = (cutoff + 8.0f) * 128.0f;
  j = j > 0.0f ? std::min(j, kLast) : 0.0f;
  const int i = std::min(static_cast<int>(j), VX_FilterBase::kTableSize - 1);
  return {i, j - static_cast<float>(i)};
}

float Interpolate(const float* table, TablePoint p)
{
  return table[p.index] + (table[p.index + 1] - table[p.index]) * p.fraction;
}

// ----- Saturation curves, written as u/c plus a correction so that a huge u gives u/c rather
// than inf/inf.

/** u·(u² + 27) / (4·u² + 27) */
inline float Sat4(float u)
{
  return 0.25f * u * (1.0f + 81.0f / (4.0f * u * u + 27.0f));
}

/** u·(u² + 27) / (c·u² + 27) = (u/c)·(1 + 27·(c - 1) / (c·u² + 27)) */
struct SatCurve
{
  SatCurve() : SatCurve(1.5f) {}
  explicit SatCurve(float c) : SatCurve(c, 1.0f / c, 27.0f * (c - 1.0f)) {}
  SatCurve(float c, float inverse, float excess) : c(c), inverse(inverse), excess(excess) {}
  float operator()(float u) const { return u * inverse * (1.0f + excess / (c * u * u + 27.0f)); }

  float c;
  float inverse;
  float excess;
};

// ----- One sample of one channel. The feedback term uses the states from before the update.
//
// Without resonance (k = 0) the feedback term is a signed zero whose saturation adds nothing to
// the third stage, so kFeedback = false leaves it out: the result is the same to the bit, and the
// third stage no longer waits for the saturations of the fourth (the states that only feed the
// feedback keep running, ready for when the resonance returns).

template <bool kFeedback>
inline float TickSmooth(VX_LadderState& s, float x, float g, float k, const SatCurve& sat)
{
  const float fb = k * (s.z - s.s4);
  s.s1 += g * (x + kAntiDenormal - s.s1);
  s.s2 += g * (s.s1 - s.s2);
  s.s3 += g * ((kFeedback ? sat(fb) + s.s2 : s.s2) - s.s3);
  s.z = sat(s.s3);
  s.s4 += g * (s.z - s.s4);
  return s.s3;
}

template <bool kFeedback>
inline float TickRaw(VX_LadderState& s, float x, float g, float k)
{
  const float fb = k * (s.s3 - s.s4);
  s.s1 += g * (x + kAntiDenormal - s.s1);
  s.s2 += g * (s.s1 - s.s2);
  s.s3 += g * ((kFeedback ? Sat4(fb) + s.s2 : s.s2) - s.s3);
  s.s4 += g * (s.s3 - s.s4);
  return s.s3;
}

template <bool kFeedback>
inline float TickBandPass(VX_LadderState& s, float x, float g, float k)
{
  const float fb = k * (s.s3 - s.s4);
  s.s1 += g * (x + kAntiDenormal - s.s1);
  s.s2 += g * (s.s1 - s.s2);
  // s1 - s2 settles to exactly 0 under a constant input, hence a second offset here.
  const float bandPass = s.s1 - s.s2;
  s.s3 += g * ((kFeedback ? Sat4(fb) + bandPass : bandPass) + kAntiDenormal - s.s3);
  s.s4 += g * (s.s3 - s.s4);
  return s.s3 - s.s4;
}

// LP2's drive path: the ladder with the saturation covering input and feedback, whose fourth
// pole feeds a state-variable low-pass. The two recursions meet only at s4, so a block runs the
// ladder first and the post-filter after it, which halves the state each loop keeps live.

inline float TickDrivenLadder(VX_LadderState& s, float x, float g, float k, float inputGain)
{
  s.s1 += g * (x * inputGain + kAntiDenormal - s.s1);
  s.s2 += g * (s.s1 - s.s2);
  const float u = k * (s.s3 - s.s4) + s.s2;
  s.s3 += g * (Sat4(u) - s.s3);
  s.s4 += g * (s.s3 - s.s4);
  return s.s4;
}

inline float TickPostFilter(VX_CutoffTable::State& p, float s4, float outputGain, float c)
{
  const float hp = s4 * outputGain + kAntiDenormal - p.lp - kPostDamping * p.bp;
  p.bp += c * hp;
  p.lp += c * p.bp;
  return Sat4(p.lp);
}

/** The coefficients one ladder recursion uses for a block. */
struct LadderCoefficients
{
  float g;
  float k;
  SatCurve sat;
};

constexpr int kMaxChains = 2 * VX_FilterBase::kMaxVoices;

/**
 * Runs tick over one block of n independent recursions, in place. States and samples go
 * through locals, and every sample steps all recursions before the next, so the processor
 * overlaps their feedback latencies: eight voices cost little more than one.
 */
template <class State, class Tick>
inline void RunChains(int n, State* const* states, float* const* blocks, Tick tick)
{
  State s[kMaxChains];
  float x[kMaxChains][kN];
  for (int c = 0; c < n; ++c)
  {
    s[c] = *states[c];
    std::copy_n(blocks[c], kN, x[c]);
  }
  for (int j = 0; j < kN; ++j)
    for (int c = 0; c < n; ++c)
      x[c][j] = tick(c, s[c], x[c][j]);
  for (int c = 0; c < n; ++c)
  {
    *states[c] = s[c];
    std::copy_n(x[c], kN, blocks[c]);
  }
}

// ----- All-pass sections.

// A direct-form section is stable only for |a| < 1; the note table reaches 1.4 for the
// feedback forms, whose coefficient is 1 - a.
constexpr float kMaxDirectCoefficient = 0.99999f;

/** (a + z^-1) / (1 + a·z^-1) */
inline float DirectSection(float& s, float a, float x)
{
  const float y = a * x + s;
  s = x - a * y;
  return y;
}

/** (z^-1 - d) / (1 - d·z^-1) */
inline float FeedbackSection(float& s, float d, float x)
{
  const float y = s - d * x;
  s = x + d * y;
  return y;
}

float StableDirect(float a)
{
  return std::clamp(a, -kMaxDirectCoefficient, kMaxDirectCoefficient);
}

// Resonance limit shapes per type (base, span, resonance scale).
constexpr VX_ResonanceShape kSmoothShape{1.04f, 0.21f, 1.25f};
constexpr VX_ResonanceShape kRawShape{1.02f, 1.78f, 1.8f};
constexpr VX_ResonanceShape kBandPassShape{1.0f, 1.18f, 1.25f};
} // namespace

// ----- VX_FilterBase

VX_FilterBase::VX_FilterBase(VX_ResonanceShape shape) : mShape(shape)
{
  SetSampleRate(44100.0f);
}

void VX_FilterBase::SetSampleRate(float sampleRate)
{
  mSampleRate = sampleRate;
  BuildTables();
  mCachedCutoff = -1.0f;
  mCachedResonance = -1.0f;
  ClearState();
  OnSampleRateChanged();
}

void VX_FilterBase::BuildTables()
{
  for (int i = 0; i <= kTableSize; ++i)
  {
    const double g = TableSine(TablePhase(i, mSampleRate));
    mCoefficientTable[i] = static_cast<float>(std::clamp<double>(g, kMinOnePole, kMaxOnePole));
    // The limit grows from base at note 122 to base + span at note 0 and below, and falls
    // linearly from base at note 122 to 0 at note 128: a cutoff that high allows no resonance.
    const int note = TableNote(i);
    const double e = std::clamp(1.0 - note / static_cast<double>(kLimitKneeNote), 0.0, 1.0);
    double limit = mShape.base + mShape.span * (std::pow(11.0, e) - 1.0) / 10.0;
    if (note > kLimitKneeNote)
      limit *= (kTopNote - note) / static_cast<double>(kTopNote - kLimitKneeNote);
    mLimitTable[i] = static_cast<float>(limit);
  }
}

void VX_FilterBase::SetParams(float cutoff, float resonance)
{
  if (cutoff == mCachedCutoff && resonance == mCachedResonance) return;
  mCachedCutoff = cutoff;
  mCachedResonance = resonance;
  const TablePoint point = NotePoint(cutoff);
  const float g = Interpolate(mCoefficientTable, point);
  const float limit = Interpolate(mLimitTable, point);
  const float wanted = resonance * mShape.scale;
  const float r = wanted > 0.0f ? std::min(wanted, limit) : 0.0f; // NaN: no resonance
  mG = g;
  mK = r / (1.0f - g) + r; // finite: g < 1
  mCurve = std::max(1.5f, 16.0f * (r - 1.0f));
}

void VX_FilterBase::ClearState()
{
  mState[0] = mState[1] = VX_LadderState{};
  ResetExtra();
}

namespace
{
/**
 * Ladder recursions side by side, one per lane, held as arrays: every step of a sample works on
 * all lanes at once, and the compiler turns the lane loops into vector instructions. Lanes past
 * the used ones run on zeros and are thrown away. Vector and scalar arithmetic round alike, so
 * a lane's result is exactly that of filtering it alone.
 */
template <int N>
struct LadderLanes
{
  float s1[N] = {}, s2[N] = {}, s3[N] = {}, s4[N] = {}, z[N] = {};
  float g[N] = {}, k[N] = {};
  float curve[N] = {}, inverse[N] = {}, excess[N] = {};
  float x[kN][N] = {};

  void Load(int c, const VX_LadderState& s, const LadderCoefficients& co, const float* block)
  {
    s1[c] = s.s1;
    s2[c] = s.s2;
    s3[c] = s.s3;
    s4[c] = s.s4;
    z[c] = s.z;
    g[c] = co.g;
    k[c] = co.k;
    curve[c] = co.sat.c;
    inverse[c] = co.sat.inverse;
    excess[c] = co.sat.excess;
    for (int j = 0; j < kN; ++j)
      x[j][c] = block[j];
  }

  void Store(int c, VX_LadderState& s, float* block) const
  {
    s = {s1[c], s2[c], s3[c], s4[c], z[c]};
    for (int j = 0; j < kN; ++j)
      block[j] = x[j][c];
  }

  template <class Tick>
  void Run(Tick tick)
  {
    for (int j = 0; j < kN; ++j)
      for (int c = 0; c < N; ++c)
      {
        VX_LadderState s{s1[c], s2[c], s3[c], s4[c], z[c]};
        const LadderCoefficients co{g[c], k[c], SatCurve(curve[c], inverse[c], excess[c])};
        x[j][c] = tick(co, s, x[j][c]);
        s1[c] = s.s1;
        s2[c] = s.s2;
        s3[c] = s.s3;
        s4[c] = s.s4;
        z[c] = s.z;
      }
  }
};

template <int N, class Tick>
void RunLadderLanes(int n, VX_LadderState* const* states, const LadderCoefficients* coefficients,
                    float* const* blocks, Tick tick)
{
  LadderLanes<N> lanes;
  for (int c = 0; c < n; ++c)
    lanes.Load(c, *states[c], coefficients[c], blocks[c]);
  lanes.Run(tick);
  for (int c = 0; c < n; ++c)
    lanes.Store(c, *states[c], blocks[c]);
}
} // namespace

template <class Tick>
void VX_FilterBase::RunLadders(const VoiceBlock* voices, int count, bool stereo, Tick tick)
{
  VX_LadderState* states[kMaxChains];
  float* blocks[kMaxChains];
  LadderCoefficients coefficients[kMaxChains];
  int n = 0;
  for (int v = 0; v < count; ++v)
  {
    VX_FilterBase& f = *voices[v].filter;
    const LadderCoefficients co{f.mG, f.mK, SatCurve(f.mCurve)};
    // The mono path runs on channel B, so switching between mono and stereo continues it.
    if (stereo)
    {
      states[n] = &f.mState[0];
      blocks[n] = voices[v].left;
      coefficients[n++] = co;
    }
    states[n] = &f.mState[kMonoChannel];
    blocks[n] = stereo ? voices[v].right : voices[v].left;
    coefficients[n++] = co;
  }
  bool feedback = false;
  for (int c = 0; c < n; ++c)
    feedback |= coefficients[c].k != 0.0f;
  const auto run = [&](auto withFeedback)
  {
    const auto laneTick = [&](const LadderCoefficients& co, VX_LadderState& s, float x)
    { return tick(withFeedback, co, s, x); };
    // The narrowest lane set that holds them all: one voice costs one vector's worth.
    if (n <= 4)
      RunLadderLanes<4>(n, states, coefficients, blocks, laneTick);
    else if (n <= 8)
      RunLadderLanes<8>(n, states, coefficients, blocks, laneTick);
    else
      RunLadderLanes<kMaxChains>(n, states, coefficients, blocks, laneTick);
  };
  if (feedback)
    run(std::true_type());
  else
    run(std::false_type());
}

void VX_FilterBase::ProcessBlock(const float* in, float* out)
{
  std::copy_n(in, kN, out);
  const VoiceBlock voice{this, out, nullptr};
  ProcessVoices(&voice, 1, false, false);
}

void VX_FilterBase::ProcessBlockDriven(const float* in, float* out)
{
  std::copy_n(in, kN, out);
  const VoiceBlock voice{this, out, nullptr};
  ProcessVoices(&voice, 1, false, true);
}

void VX_FilterBase::ProcessStereoBlock(const float* inA, const float* inB, float* outA, float* outB)
{
  std::copy_n(inA, kN, outA);
  std::copy_n(inB, kN, outB);
  const VoiceBlock voice{this, outA, outB};
  ProcessVoices(&voice, 1, true, false);
}

void VX_FilterBase::ProcessStereoBlockDriven(const float* inA, const float* inB, float* outA,
                                             float* outB)
{
  std::copy_n(inA, kN, outA);
  std::copy_n(inB, kN, outB);
  const VoiceBlock voice{this, outA, outB};
  ProcessVoices(&voice, 1, true, true);
}

// ----- VX_Filter18dBLP_Smooth

VX_Filter18dBLP_Smooth::VX_Filter18dBLP_Smooth() : VX_FilterBase(kSmoothShape) {}

void VX_Filter18dBLP_Smooth::ProcessVoices(const VoiceBlock* voices, int count, bool stereo,
                                           bool /*driven*/)
{
  RunLadders(voices, count, stereo,
             [](auto withFeedback, const LadderCoefficients& co, VX_LadderState& s, float x)
             { return TickSmooth<decltype(withFeedback)::value>(s, x, co.g, co.k, co.sat); });
}

// ----- VX_Filter18dBLP_Raw

VX_Filter18dBLP_Raw::VX_Filter18dBLP_Raw() : VX_FilterBase(kRawShape)
{
  // The base constructor set the rate before this object's overrides existed.
  for (VX_CutoffTable& post : mPost)
    post.SetRange(SampleRate(), kPostLowHz, kPostHighHz);
}

void VX_Filter18dBLP_Raw::OnSampleRateChanged()
{
  for (VX_CutoffTable& post : mPost)
    post.SetRange(SampleRate(), kPostLowHz, kPostHighHz);
  // The record's post coefficient belongs to the old rate: the next UpdateDrive recomputes it.
  mDrive->amount = VX_FilterDrive::kAmountRateChanged;
}

void VX_Filter18dBLP_Raw::ResetExtra()
{
  for (VX_CutoffTable& post : mPost)
    post.ClearState();
}

void VX_Filter18dBLP_Raw::UpdateDrive(float drive)
{
  VX_FilterDrive& record = *mDrive;
  if (drive == record.amount) return;
  const float d = drive > 0.0f ? std::min(drive, 1.0f) : 0.0f; // NaN: no drive
  record.amount = drive;
  // All voices run at one rate, so this filter's table serves every voice's post-filter.
  mPost[0].SetCutoffHz((1.0f - d) * (1.0f - d) * 17000.0f + 4000.0f);
  record.postCoefficient = mPost[0].Coefficient();
  record.inputGain = 1.0f + d;
  record.outputGain = 1.0f + 4.25f * d;
}

void VX_Filter18dBLP_Raw::ProcessVoices(const VoiceBlock* voices, int count, bool stereo,
                                        bool driven)
{
  if (!driven)
  {
    RunLadders(voices, count, stereo,
               [](auto withFeedback, const LadderCoefficients& co, VX_LadderState& s, float x)
               { return TickRaw<decltype(withFeedback)::value>(s, x, co.g, co.k); });
    return;
  }

  // The drive record is shared, so its gains and post coefficient hold for every voice.
  const VX_FilterDrive& drive = *static_cast<VX_Filter18dBLP_Raw*>(voices[0].filter)->mDrive;
  const float inputGain = drive.inputGain;
  RunLadders(voices, count, stereo,
             [=](auto, const LadderCoefficients& co, VX_LadderState& s, float x)
             { return TickDrivenLadder(s, x, co.g, co.k, inputGain); });
  VX_CutoffTable::State* posts[kMaxChains];
  float* blocks[kMaxChains];
  int n = 0;
  for (int v = 0; v < count; ++v)
  {
    auto& f = *static_cast<VX_Filter18dBLP_Raw*>(voices[v].filter);
    if (stereo)
    {
      posts[n] = &f.mPost[0].FilterState();
      blocks[n++] = voices[v].left;
    }
    posts[n] = &f.mPost[kMonoChannel].FilterState();
    blocks[n++] = stereo ? voices[v].right : voices[v].left;
  }
  const float outputGain = drive.outputGain, c = drive.postCoefficient;
  RunChains(n, posts, blocks,
            [=](int, VX_CutoffTable::State& p, float x)
            { return TickPostFilter(p, x, outputGain, c); });
}

// ----- VX_Filter18dBBP_Smooth

VX_Filter18dBBP_Smooth::VX_Filter18dBBP_Smooth() : VX_FilterBase(kBandPassShape) {}

void VX_Filter18dBBP_Smooth::ProcessVoices(const VoiceBlock* voices, int count, bool stereo,
                                           bool /*driven*/)
{
  RunLadders(voices, count, stereo,
             [](auto withFeedback, const LadderCoefficients& co, VX_LadderState& s, float x)
             { return TickBandPass<decltype(withFeedback)::value>(s, x, co.g, co.k); });
}

// ----- VX_FilterAllPass

VX_FilterAllPass::VX_FilterAllPass()
{
  SetSampleRate(44100.0f);
}

void VX_FilterAllPass::SetSampleRate(float sampleRate)
{
  for (int i = 0; i <= kTableSize; ++i)
  {
    const double a = TableSine(TablePhase(i, sampleRate));
    mTable[i] = static_cast<float>(std::clamp<double>(a, 0.0, kMaxCoefficient));
  }
  mCachedCutoff = -1.0f;
  ClearState();
}

void VX_FilterAllPass::SetParams(float cutoff)
{
  if (cutoff == mCachedCutoff) return;
  mCachedCutoff = cutoff;
  mA = Interpolate(mTable, NotePoint(cutoff));
}

void VX_FilterAllPass::ClearState()
{
  std::fill(std::begin(mS), std::end(mS), 0.0f);
  mY2 = mY4 = 0.0f;
}

float VX_FilterAllPass::ProcessSample(float x)
{
  return DirectSection(mS[0], StableDirect(mA), x + kAntiDenormal);
}

float VX_FilterAllPass::ProcessTwoStage(float x, float b)
{
  const float a = StableDirect(b);
  return DirectSection(mS[1], a, DirectSection(mS[0], a, x + kAntiDenormal));
}

float VX_FilterAllPass::ProcessTwoStageFeedback(float x, float fb)
{
  const float d = 1.0f - mA;
  const float in = x + kAntiDenormal - fb * mY2;
  mY2 = FeedbackSection(mS[1], d, FeedbackSection(mS[0], d, in));
  return mY2;
}

float VX_FilterAllPass::ProcessFourStageFeedback(float x, float fb)
{
  const float d = 1.0f - mA;
  const float in1 = x + kAntiDenormal - fb * mY2;
  const float y2 = FeedbackSection(mS[1], d, FeedbackSection(mS[0], d, in1));
  const float in3 = y2 - fb * mY4;
  mY4 = FeedbackSection(mS[3], d, FeedbackSection(mS[2], d, in3));
  mY2 = y2;
  return mY4;
}
