#pragma once
// Band-limited step (BLEP) and ramp (BLAMP) residuals shared by every oscillator's table mode.
//
// Both tables are sampled at 128 points per output sample over +-8 samples (2049 entries, the
// centre at 1024) and are symmetric about the centre. They are built once by the dynamic
// initialisation of blep_tables.cpp, i.e. while the program or the plug-in module is being
// loaded, before any audio thread can exist, and are never written afterwards.

#include <array>

inline constexpr int kBlepPointsPerSample = 128;
inline constexpr int kBlepTaps = 16;                                 // output samples covered
inline constexpr int kBlepLength = kBlepTaps * kBlepPointsPerSample; // 2048
inline constexpr int kBlepHalfLength = kBlepLength / 2;              // 1024, the step's centre
inline constexpr int kBlepLatency = kBlepTaps / 2 - 1;               // 7 samples

using VX_BlepTableData = std::array<float, kBlepLength + 1>;

/** Residual of a falling step of height 2 (+1 to -1): band-limited step minus the naive one,
 *  taken for the entries before the centre and mirrored after it. Entry 1024 is -1. */
extern const VX_BlepTableData kBlepTable;

/** Residual of a slope change, rising from 0 at both ends to its centre value; scaled by an
 *  increment it corrects a triangle corner whose slope changes by -4 times that increment. */
extern const VX_BlepTableData kBlampTable;
