// Small problems for the engine tests, written as .spc text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "equivane/SpecSubs.h"

namespace equivane::testing {

// Reads .spc text (lines separated by "\n") and establishes the numeric
// values as the window does before a calculation.
inline SpeciationProblem loadProblem(const std::string& text) {
  SpeciationProblem p;
  const ReadOutcome read = readSpcText(p, text);
  EXPECT_TRUE(read.ok) << read.message;
  EXPECT_EQ(establishValues(p), "");
  buildFormulas(p);
  return p;
}

inline SweepSettings phSweep(double from, double to, int points = 201) {
  SweepSettings s;
  s.mode = CalculationMode::PhRange;
  s.x0 = from;
  s.dx = (to - from) / (points - 1);
  s.points = points;
  return s;
}

}  // namespace equivane::testing
