// The tunnel's row of greeting plates.
#pragma once

namespace show {

constexpr unsigned kPlateCount = 30;

// The row's advance a = (t - 58.8) x 0.1 split into whole plate steps n and the
// remainder f in (0, 0.1] (for a <= 0.1: n = 0, f = a). f is kept in extended precision,
// as the steps are taken.
void plateSteps(float t, unsigned& n, long double& f);

// "const0" of plate i: the unsigned 32-bit difference i - n as a float (2^32 - (n - i)
// rounded, not a negative number, for the plates behind the step count).
float plateNumber(unsigned i, unsigned n);

}  // namespace show
