// The largest magnitude of a signal between its samples, as the master's limiter sees it.
#pragma once

#include <vector>

namespace assetgen {

// Estimated at 4x the sample rate, one value per input sample: the peak over the interval
// that ends at it.
std::vector<float> truePeakEnvelope(const std::vector<float>& x);

}  // namespace assetgen
