// Point lists for the envelope tests: a start point, ordinary points and an end point, as the view makes them.
#pragma once

#include "envelope/SplinePoint.h"

#include <initializer_list>
#include <utility>

namespace testcurves
{
// Levels at the given x positions; the first becomes the start point, the last the end point.
inline SplinePointList make(std::initializer_list<std::pair<float, float>> xy)
{
    SplinePointList list;
    for (const auto& [x, y] : xy)
        list.add(x, y);
    list[0].isStartPoint = true;
    list[list.size() - 1].isEndPoint = true;
    list.linkEnds();
    list.sort();
    return list;
}

// Rises, dips and ends on a flat stretch at 0.8.
inline SplinePointList wave() { return make({{0.0f, 0.1f}, {0.3f, 0.9f}, {0.55f, 0.2f}, {0.8f, 0.8f}, {1.0f, 0.8f}}); }
}  // namespace testcurves
