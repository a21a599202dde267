#pragma once
// Reading the run record as it is shown and recorded: amounts in model units, and array
// elements read safely (an index outside an array's bounds reads as nothing, i.e. 0).

#include <cstddef>
#include <vector>

#include "core/RunRecord.h"

// The element at index, or a default value when the array has no such element.
template <typename T>
T ElementOrZero(const std::vector<T>& array, long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= array.size()) return T{};
    return array[static_cast<std::size_t>(index)];
}

template <typename T>
bool HasElement(const std::vector<T>& array, long index) {
    return index >= 0 && static_cast<std::size_t>(index) < array.size();
}

// In graphical mode amounts are held in screen units (times TwipsPerMark); shown and
// recorded values are in model units.
inline double InModelUnits(const Run& run, double held) {
    return run.setup.graphicalMode ? held / run.state.TwipsPerMark : held;
}
