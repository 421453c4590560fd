// The envelope's curve through both paths, its bounded table and concurrent rebuild, timing, loading and deleting.
#include "envelope/EnvelopeEditor.h"
#include "envelope/UserEnvelope.h"
#include "tests/envelope/EnvelopeTestCurves.h"

#include <gtest/gtest.h>

#include "tests/support/HeapCounter.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <thread>
#include <vector>

namespace
{
constexpr float kRate = 48000.0f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

void setCurve(EnvelopeEditor& envelope, const SplinePointList& curve)
{
    envelope.loadProgramPoints(curve);
    envelope.rebuildLookupTable();
}
}  // namespace

TEST(EnvelopeEditor, DefaultCurveIsHalfLevelThroughBothPaths)
{
    EnvelopeEditor envelope(kRate);
    ASSERT_TRUE(envelope.isDirty);
    for (float phase = 0.0f; phase <= 1.0f; phase += 1.0f / 64.0f)
        EXPECT_FLOAT_EQ(envelope.getEnvelopeValue(phase), 0.5f) << "direct, phase " << phase;

    envelope.timerCallback();
    EXPECT_FALSE(envelope.isDirty);
    EXPECT_TRUE(envelope.isTimerRunning());
    // 120 bpm in 4/4 at x1: sixteen beats of 24,000 samples, one entry each.
    EXPECT_EQ(envelope.lookupTable.size(), 384000u);
    for (float phase = 0.0f; phase <= 1.0f; phase += 1.0f / 64.0f)
        EXPECT_FLOAT_EQ(envelope.getEnvelopeValue(phase), 0.5f) << "table, phase " << phase;
}

TEST(EnvelopeEditor, TablePathFollowsTheCurveAndEndsOnItsLastEntry)
{
    EnvelopeEditor envelope(kRate);
    const auto curve = testcurves::wave();
    setCurve(envelope, curve);
    ASSERT_FALSE(envelope.isDirty);

    for (float phase = 0.0f; phase <= 1.0f; phase += 1.0f / 97.0f)
        EXPECT_NEAR(envelope.getEnvelopeValue(phase), EnvelopeEditor::evaluateCurve(curve, phase), 1e-4f);

    // The interpolation weight at 1 is zero: exactly the last entry, no wrap to the first.
    EXPECT_EQ(envelope.getEnvelopeValue(1.0f), envelope.lookupTable.back());
    EXPECT_EQ(envelope.getEnvelopeValue(0.0f), envelope.lookupTable.front());
    EXPECT_FLOAT_EQ(envelope.getEnvelopeValue(1.0f), 0.8f);
}

TEST(EnvelopeEditor, CurveFailuresGiveDefinedLevels)
{
    auto overshooting = testcurves::make({{0.0f, 0.5f}, {1.0f, 0.5f}});
    // Handles outside the square, as a damaged preset may carry them.
    overshooting[0].controlPointRight.y = 4.0f;
    overshooting[1].controlPointLeft.y = -3.0f;

    auto coincident = testcurves::make({{0.0f, 0.2f}, {0.0f, 0.7f}, {1.0f, 0.3f}});
    auto short_ = testcurves::make({{0.2f, 0.6f}, {0.8f, 0.6f}});
    SplinePointList single;
    single.add(0.0f, 0.9f);

    struct Case
    {
        const char* what;
        const SplinePointList& curve;
        float x;
        float expected;
    };
    const Case cases[] = {
        {"overshoot above", overshooting, 0.25f, 1.0f},
        {"overshoot below", overshooting, 0.75f, 0.0f},
        {"fewer than two points", single, 0.0f, 0.0f},
        {"before the first point", short_, 0.1f, 0.0f},
        {"after the last point", short_, 0.9f, 0.0f},
        {"NaN position", short_, kNaN, 0.0f},
        {"coincident points give the first one's level", coincident, 0.0f, 0.2f},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(EnvelopeEditor::evaluateCurve(c.curve, c.x), c.expected) << c.what;

        // The table path clamps the same way.
        EnvelopeEditor envelope(kRate);
        setCurve(envelope, c.curve);
        if (c.x >= 0.0f && c.x <= 1.0f)
        {
            EXPECT_NEAR(envelope.getEnvelopeValue(c.x), c.expected, 1e-3f) << c.what << " (table)";
        }
    }
}

TEST(EnvelopeEditor, HostTimingSetsTheCycleLength)
{
    struct Case
    {
        const char* what;
        double hostBpm;
        int numerator, denominator;
        bool fixTempo;
        float samplesPerBeat;
        double cycle;
    };
    const Case cases[] = {
        {"3/4 at 90 bpm", 90.0, 3, 4, false, 32000.0f, 384000.0},
        {"3/4 at 90 bpm, fixed tempo", 90.0, 3, 4, true, 24000.0f, 288000.0},
        {"a time signature of 0 reads as 4/4", 90.0, 0, 0, false, 32000.0f, 512000.0},
        {"a huge tempo is held in range", 1e300, 1, 1, false, 28.8f, 28.8},
    };
    for (const auto& c : cases)
    {
        EnvelopeEditor envelope(kRate);
        envelope.isFixTempo = c.fixTempo;
        envelope.rebuildLookupTable();
        envelope.applyHostTiming(c.hostBpm, c.numerator, c.denominator);
        EXPECT_TRUE(envelope.isDirty) << c.what;
        EXPECT_FLOAT_EQ(envelope.samplesPerBeat, c.samplesPerBeat) << c.what;
        EXPECT_NEAR(envelope.getCycleLengthInSamples(), c.cycle, c.cycle * 1e-6) << c.what;

        const float step = envelope.getPhaseStep();
        EXPECT_TRUE(step > 0.0f && step <= 1.0f) << c.what;
        if (c.cycle >= 1.0)
        {
            EXPECT_NEAR(step * c.cycle, 1.0, 1e-6) << c.what;
        }

        envelope.rebuildLookupTable();
        EXPECT_EQ((double)envelope.lookupTable.size(), std::max(1.0, std::floor(c.cycle))) << c.what;

        // The same timing again is no change and keeps the fresh table.
        envelope.applyHostTiming(c.hostBpm, c.numerator, c.denominator);
        EXPECT_FALSE(envelope.isDirty) << c.what;
    }
}

TEST(EnvelopeEditor, WithoutHostTempoRunsAt120AndKeepsTheTable)
{
    for (double hostBpm : {0.0, -90.0, (double)kNaN, (double)kInf})
    {
        EnvelopeEditor envelope(kRate);
        envelope.applyHostTiming(90.0, 3, 8);
        envelope.rebuildLookupTable();

        envelope.applyHostTiming(hostBpm, 7, 16);
        EXPECT_EQ(envelope.bpm.load(), 120.0f);
        EXPECT_EQ(envelope.samplesPerBeat.load(), 24000.0f);
        EXPECT_EQ(envelope.timeSigNumerator.load(), 3.0f);
        EXPECT_EQ(envelope.timeSigDenominator.load(), 8.0f);
        EXPECT_FALSE(envelope.isDirty);
    }
}

TEST(EnvelopeEditor, SlowestTimingBuildsABoundedTableThatMatchesTheCurve)
{
    EnvelopeEditor envelope(192000.0f);
    const auto curve = testcurves::wave();
    envelope.loadProgramPoints(curve);
    envelope.applyHostTiming(1.0, 32, 32);
    EXPECT_GT(envelope.getCycleLengthInSamples(), 1e10);  // 47 GB as one float per sample

    envelope.rebuildLookupTable();
    ASSERT_FALSE(envelope.isDirty);
    EXPECT_EQ(envelope.lookupTable.size(), (size_t)EnvelopeEditor::kMaxTableSize);
    for (float phase = 0.0f; phase <= 1.0f; phase += 1.0f / 997.0f)
        EXPECT_NEAR(envelope.getEnvelopeValue(phase), EnvelopeEditor::evaluateCurve(curve, phase), 1e-5f);
    EXPECT_FLOAT_EQ(envelope.getEnvelopeValue(1.0f), 0.8f);
}

TEST(EnvelopeEditor, DamagedTimingKeepsStepsFiniteAndTablesBounded)
{
    const float damaged[] = {kNaN, kInf, -kInf, 0.0f, -1.0f, 1e-30f, 1e30f};
    for (float v : damaged)
    {
        for (auto field : {&EnvelopeEditor::samplesPerBeat, &EnvelopeEditor::speedFactor,
                           &EnvelopeEditor::timeSigNumerator, &EnvelopeEditor::timeSigDenominator})
        {
            EnvelopeEditor envelope(kRate);
            (envelope.*field) = v;
            const float step = envelope.getPhaseStep();
            EXPECT_TRUE(step >= 0.0f && step <= 1.0f) << v;
            EXPECT_LE(envelope.getTableSizeForCurrentTiming(), EnvelopeEditor::kMaxTableSize) << v;

            envelope.rebuildLookupTable();
            EXPECT_LE(envelope.lookupTable.size(), (size_t)EnvelopeEditor::kMaxTableSize) << v;
            EXPECT_FLOAT_EQ(envelope.getEnvelopeValue(0.5f), 0.5f) << v;
        }
    }

    EnvelopeEditor broken(kNaN);
    EXPECT_EQ(broken.sampleRate, 44100.0f);
}

TEST(EnvelopeEditor, DeletingSkipsStartAndEndAndDeletesOnce)
{
    EnvelopeEditor envelope(kRate);
    envelope.loadProgramPoints(testcurves::wave());
    envelope.rebuildLookupTable();

    for (int fixed : {0, 4})
    {
        envelope.points[fixed].isSelected = true;
        envelope.deleteSelectedSplinePoint();
        EXPECT_EQ(envelope.points.size(), 5);
        EXPECT_FALSE(envelope.isDirty);
        envelope.points[fixed].isSelected = false;
    }

    envelope.points[2].isSelected = true;
    envelope.deleteSelectedSplinePoint();
    envelope.deleteSelectedSplinePoint();
    ASSERT_EQ(envelope.points.size(), 4);
    EXPECT_TRUE(envelope.isDirty);
    EXPECT_FLOAT_EQ(envelope.points[1].centerPoint.x, 0.3f);
    EXPECT_FLOAT_EQ(envelope.points[2].centerPoint.x, 0.8f);
    EXPECT_TRUE(envelope.points[3].isEndPoint);
}

TEST(EnvelopeEditor, LoadingCopiesProgramPointsAndEmptyListsKeepTheCurve)
{
    EnvelopeEditor envelope(kRate);
    auto program = testcurves::wave();
    program[2].isSelected = true;
    program[1].isRightControlSelected = true;

    envelope.loadProgramPoints(program);
    ASSERT_EQ(envelope.points.size(), 5);
    for (int i = 0; i < envelope.points.size(); ++i)
    {
        const auto& p = envelope.points[i];
        EXPECT_FALSE(p.isSelected || p.isLeftControlSelected || p.isRightControlSelected);
        EXPECT_NE(&p, &program[i]);
    }
    EXPECT_EQ(envelope.points[0].linkedPoint, &envelope.points[4]);
    EXPECT_EQ(envelope.points[4].linkedPoint, &envelope.points[0]);

    // The program keeps its own copy.
    program[1].setCenterPoint(0.3f, 0.0f);
    EXPECT_FLOAT_EQ(envelope.points[1].centerPoint.y, 0.9f);

    envelope.rebuildLookupTable();
    envelope.points[3].isSelected = true;
    envelope.loadProgramPoints(SplinePointList());
    EXPECT_EQ(envelope.points.size(), 5);
    EXPECT_FALSE(envelope.points[3].isSelected);
    EXPECT_TRUE(envelope.isDirty);
    EXPECT_FLOAT_EQ(envelope.getEnvelopeValue(0.3f), 0.9f);

    // Shorter and longer lists in turn reuse storage without mixing up points or links.
    for (const auto& next : {testcurves::make({{0.0f, 0.3f}, {1.0f, 0.6f}}), testcurves::wave()})
    {
        envelope.loadProgramPoints(next);
        ASSERT_EQ(envelope.points.size(), next.size());
        EXPECT_EQ(envelope.points[0].linkedPoint, &envelope.points[next.size() - 1]);
        for (float x = 0.0f; x <= 1.0f; x += 0.125f)
            EXPECT_EQ(envelope.getEnvelopeValue(x), EnvelopeEditor::evaluateCurve(next, x));
    }
}

TEST(EnvelopeEditor, AudioThreadCallsNeverTouchTheHeap)
{
    EnvelopeEditor envelope(kRate);
    UserEnvelopeSettings settings;
    settings.envelope = &envelope;
    settings.destination = UserEnvelopeDestination::volume;
    settings.amount = 1.0f;
    UserEnvelopeVoiceState voice;
    voice.settings = &settings;

    const auto longer = testcurves::wave();
    const auto shorter = testcurves::make({{0.0f, 0.3f}, {0.5f, 0.1f}, {1.0f, 0.6f}});
    const SplinePointList empty;

    float sum = 0.0f;
    int whileDirty = 0, fromTable = 0;
    {
        ScopedHeapCount heap;
        envelope.loadProgramPoints(longer);
        envelope.applyHostTiming(133.0, 7, 8);
        envelope.applyHostTiming(0.0, 0, 0);
        envelope.loadProgramPoints(shorter);
        envelope.loadProgramPoints(empty);
        envelope.loadProgramPoints(longer);
        for (int i = 0; i < 1000; ++i)
            sum += settings.followVolume(voice.process());
        whileDirty = heap.count();
    }
    envelope.rebuildLookupTable();
    {
        ScopedHeapCount heap;
        for (int i = 0; i < 1000; ++i)
            sum += voice.process();
        fromTable = heap.count();
    }
    EXPECT_EQ(whileDirty, 0);
    EXPECT_EQ(fromTable, 0);
    EXPECT_GT(sum, 0.0f);
}

TEST(EnvelopeEditor, VoicesReadTheCurveWhileAnotherThreadRebuilds)
{
    EnvelopeEditor envelope(kRate);
    const auto curve = testcurves::wave();
    envelope.loadProgramPoints(curve);

    std::atomic<bool> done{false};
    std::thread rebuilder(
        [&]
        {
            // Alternate short and long cycles so every swap changes the table's size.
            for (int round = 0; round < 40; ++round)
            {
                envelope.speedFactor = round % 2 == 0 ? 32.0f : 1.0f;
                envelope.isDirty = true;
                envelope.rebuildLookupTable();
            }
            done = true;
        });

    int reads = 0;
    float worst = 0.0f;
    while (!done || reads == 0)
    {
        for (float phase = 0.0f; phase <= 1.0f; phase += 1.0f / 61.0f, ++reads)
            worst = std::max(worst,
                             std::abs(envelope.getEnvelopeValue(phase) - EnvelopeEditor::evaluateCurve(curve, phase)));
    }
    rebuilder.join();
    EXPECT_LT(worst, 2e-3f) << "after " << reads << " reads";
    EXPECT_FALSE(envelope.isDirty);
}
