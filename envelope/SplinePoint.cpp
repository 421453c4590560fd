// Point editing rules: every coordinate stays in the unit square and handles stay on their side.
#include "envelope/SplinePoint.h"

#include <algorithm>

namespace
{
// NaN (from a damaged preset) lands on 0 rather than poisoning the curve.
float clampToUnit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

juce::Point<float> clampToUnitSquare(juce::Point<float> p) { return {clampToUnit(p.x), clampToUnit(p.y)}; }
}  // namespace

SplinePoint::SplinePoint(float x, float y)
    : centerPoint(x, y)
    , controlPointLeft(x - 0.1f, y)
    , controlPointRight(x + 0.1f, y)
{
    setCenterPoint(x, y);
}

void SplinePoint::setCenterPoint(float x, float y)
{
    const auto previous = centerPoint;
    centerPoint = clampToUnitSquare({x, y});
    controlPointLeft = clampToUnitSquare(centerPoint - (previous - controlPointLeft));
    controlPointRight = clampToUnitSquare(centerPoint - (previous - controlPointRight));
}

void SplinePoint::setControlPointLeft(float x, float y)
{
    controlPointLeft = clampToUnitSquare({x, y});
    if (controlPointLeft.x > centerPoint.x)
        controlPointLeft.x = centerPoint.x;
}

void SplinePoint::setControlPointRight(float x, float y)
{
    controlPointRight = clampToUnitSquare({x, y});
    if (controlPointRight.x < centerPoint.x)
        controlPointRight.x = centerPoint.x;
}

bool SplinePointComparator::operator()(const SplinePoint& a, const SplinePoint& b) const
{
    // Strict weak ordering: rank first (start, ordinary, end), then x for ordinary points.
    const auto rank = [](const SplinePoint& p) { return p.isStartPoint ? 0 : (p.isEndPoint ? 2 : 1); };
    const int ra = rank(a), rb = rank(b);
    if (ra != rb)
        return ra < rb;
    return ra == 1 && a.centerPoint.x < b.centerPoint.x;
}

SplinePointList::SplinePointList(const SplinePointList& other) { *this = other; }

SplinePointList& SplinePointList::operator=(const SplinePointList& other)
{
    if (this == &other)
        return *this;

    std::vector<std::unique_ptr<SplinePoint>> copies;
    copies.reserve(other.points.size());
    for (const auto& p : other.points)
        copies.push_back(std::make_unique<SplinePoint>(*p));

    // Re-point each copied link at the copy of its target, never at the source list.
    for (size_t i = 0; i < copies.size(); ++i)
    {
        auto* target = other.points[i]->linkedPoint;
        copies[i]->linkedPoint = nullptr;
        for (size_t j = 0; j < other.points.size() && target != nullptr; ++j)
            if (other.points[j].get() == target)
                copies[i]->linkedPoint = copies[j].get();
    }

    points = std::move(copies);
    return *this;
}

SplinePoint& SplinePointList::add(float x, float y)
{
    points.push_back(std::make_unique<SplinePoint>(x, y));
    return *points.back();
}

void SplinePointList::remove(int index)
{
    if (index < 0 || index >= size())
        return;

    auto* removed = points[(size_t)index].get();
    for (auto& p : points)
        if (p->linkedPoint == removed)
            p->linkedPoint = nullptr;
    points.erase(points.begin() + index);
}

void SplinePointList::sort() { std::stable_sort(points.begin(), points.end(), SplinePointComparator()); }

void SplinePointList::linkEnds() noexcept
{
    if (points.empty())
        return;
    points.front()->linkedPoint = points.back().get();
    points.back()->linkedPoint = points.front().get();
}

SplinePointList SplinePointList::makeDefault()
{
    SplinePointList list;
    list.add(0.0f, 0.5f).isStartPoint = true;
    list.add(1.0f, 0.5f).isEndPoint = true;
    list.linkEnds();
    list.sort();
    return list;
}
