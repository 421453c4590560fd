// Point editing keeps coordinates in the unit square; ordering and list copies keep the curve intact.
#include "envelope/SplinePoint.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
void expectPoint(juce::Point<float> p, float x, float y)
{
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
}
}  // namespace

TEST(SplinePoint, HandlesAtTheEdgesAreClampedWhenCreated)
{
    const SplinePoint start(0.0f, 0.5f);
    expectPoint(start.controlPointLeft, 0.0f, 0.5f);
    expectPoint(start.controlPointRight, 0.1f, 0.5f);

    const SplinePoint end(1.0f, 0.5f);
    expectPoint(end.controlPointLeft, 0.9f, 0.5f);
    expectPoint(end.controlPointRight, 1.0f, 0.5f);

    // A request outside the square lands on its edge, handles keep their offsets where they can.
    const SplinePoint outside(-0.5f, 1.5f);
    expectPoint(outside.centerPoint, 0.0f, 1.0f);
    expectPoint(outside.controlPointLeft, 0.0f, 1.0f);
    expectPoint(outside.controlPointRight, 0.1f, 1.0f);
    EXPECT_FLOAT_EQ(outside.hitRadius, 1.0f / 24.0f);
    EXPECT_EQ(outside.linkedPoint, nullptr);
}

TEST(SplinePoint, MovingTheCentreCarriesTheHandles)
{
    SplinePoint p(0.5f, 0.5f);
    p.setControlPointLeft(0.3f, 0.8f);
    p.setCenterPoint(0.6f, 0.4f);
    expectPoint(p.centerPoint, 0.6f, 0.4f);
    expectPoint(p.controlPointLeft, 0.4f, 0.7f);
    expectPoint(p.controlPointRight, 0.7f, 0.4f);

    // Handles pushed past the edge are clamped, not wrapped.
    p.setCenterPoint(0.95f, 0.1f);
    expectPoint(p.controlPointRight, 1.0f, 0.1f);
    EXPECT_FLOAT_EQ(p.controlPointLeft.y, 0.4f);
}

TEST(SplinePoint, HandlesStayOnTheirSideOfTheCentre)
{
    SplinePoint p(0.5f, 0.5f);
    p.setControlPointLeft(0.7f, 0.2f);
    expectPoint(p.controlPointLeft, 0.5f, 0.2f);
    p.setControlPointRight(0.2f, 2.0f);
    expectPoint(p.controlPointRight, 0.5f, 1.0f);
}

TEST(SplinePoint, NonFiniteCoordinatesLandInsideTheSquare)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    SplinePoint p(nan, nan);
    p.setControlPointLeft(nan, std::numeric_limits<float>::infinity());
    for (auto q : {p.centerPoint, p.controlPointLeft, p.controlPointRight})
    {
        EXPECT_TRUE(q.x >= 0.0f && q.x <= 1.0f);
        EXPECT_TRUE(q.y >= 0.0f && q.y <= 1.0f);
    }
}

TEST(SplinePointList, SortPutsStartFirstEndLastAndKeepsEqualXInOrder)
{
    SplinePointList list;
    list.add(1.0f, 0.5f).isEndPoint = true;
    list.add(0.7f, 0.1f);
    list.add(0.3f, 0.2f);
    list.add(0.3f, 0.9f);
    list.add(0.0f, 0.5f).isStartPoint = true;
    list.sort();

    ASSERT_EQ(list.size(), 5);
    EXPECT_TRUE(list[0].isStartPoint);
    EXPECT_FLOAT_EQ(list[1].centerPoint.y, 0.2f);
    EXPECT_FLOAT_EQ(list[2].centerPoint.y, 0.9f);
    EXPECT_FLOAT_EQ(list[3].centerPoint.x, 0.7f);
    EXPECT_TRUE(list[4].isEndPoint);
}

TEST(SplinePointList, CopiesAreDeepAndLinkedAmongThemselves)
{
    const auto original = SplinePointList::makeDefault();
    ASSERT_EQ(original.size(), 2);
    EXPECT_EQ(original[0].linkedPoint, &original[1]);
    EXPECT_EQ(original[1].linkedPoint, &original[0]);

    SplinePointList copy;
    copy.add(0.5f, 0.5f);
    copy = original;
    ASSERT_EQ(copy.size(), 2);
    EXPECT_NE(&copy[0], &original[0]);
    EXPECT_EQ(copy[0].linkedPoint, &copy[1]);
    EXPECT_EQ(copy[1].linkedPoint, &copy[0]);

    copy[0].setCenterPoint(0.0f, 0.9f);
    EXPECT_FLOAT_EQ(original[0].centerPoint.y, 0.5f);

    // Removing a linked point leaves no dangling link behind.
    copy.remove(1);
    EXPECT_EQ(copy[0].linkedPoint, nullptr);
}
