// SpecSubs: the speciation engine of equivane in one include — the problem
// and its grids, the .spc file and the hand-off reader, the equilibrium
// solver with its sweeps and derived tables, and the result text.
#pragma once

#include "equivane/EquilibriumSolver.h"
#include "equivane/ResultText.h"
#include "equivane/SpcFile.h"
#include "equivane/SpeciationProblem.h"
