// One point of the user-drawn envelope curve, its ordering, and an owning list that copies safely.
#pragma once

#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <vector>

// Coordinates are normalised: x is the position in the cycle, y the level, both 0..1.
class SplinePoint
{
public:
    SplinePoint(float x, float y);

    // Moves the centre (clamped into the unit square); both handles keep their offsets.
    void setCenterPoint(float x, float y);
    // Clamps into the unit square; a left handle never lies right of the centre.
    void setControlPointLeft(float x, float y);
    // Clamps into the unit square; a right handle never lies left of the centre.
    void setControlPointRight(float x, float y);

    float hitRadius = 1.0f / 24.0f;
    juce::Point<float> centerPoint;
    juce::Point<float> controlPointLeft;
    juce::Point<float> controlPointRight;
    bool isStartPoint = false;
    bool isEndPoint = false;
    bool isSelected = false;
    bool isLeftControlSelected = false;
    bool isRightControlSelected = false;
    // The start and end point refer to each other so a looping curve can be kept seamless.
    SplinePoint* linkedPoint = nullptr;
};

// Start point first, end point last, ordinary points by ascending x.
struct SplinePointComparator
{
    bool operator()(const SplinePoint& a, const SplinePoint& b) const;
    bool operator()(const std::unique_ptr<SplinePoint>& a, const std::unique_ptr<SplinePoint>& b) const
    {
        return (*this)(*a, *b);
    }
};

// An ordered, owning list of points. Points live on the heap so that `linkedPoint` stays valid while
// the list is sorted or grows; a copy is deep and re-links the copies among themselves.
class SplinePointList
{
public:
    SplinePointList() = default;
    SplinePointList(const SplinePointList& other);
    SplinePointList& operator=(const SplinePointList& other);
    SplinePointList(SplinePointList&&) noexcept = default;
    SplinePointList& operator=(SplinePointList&&) noexcept = default;

    int size() const noexcept { return (int)points.size(); }
    bool isEmpty() const noexcept { return points.empty(); }
    SplinePoint& operator[](int i) noexcept { return *points[(size_t)i]; }
    const SplinePoint& operator[](int i) const noexcept { return *points[(size_t)i]; }

    SplinePoint& add(float x, float y);
    void remove(int index);
    void clear() noexcept { points.clear(); }
    // Stable, so points with equal x keep their order.
    void sort();
    // Links the first and the last point to each other (a single point links to itself).
    void linkEnds() noexcept;

    // The two default points: a flat curve at half level from start to end.
    static SplinePointList makeDefault();

    std::vector<std::unique_ptr<SplinePoint>> points;
};
