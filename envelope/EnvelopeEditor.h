// The user envelope's model and generator: its points, the curve, one precomputed cycle and its timing.
#pragma once

#include "envelope/SplinePoint.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>
#include <vector>

// The points and the table are guarded by `lock`; every voice takes it once per sample, so nothing
// slow ever happens while it is held: the table is built aside and swapped in, and a program's points
// are copied into storage kept from earlier lists. The timing fields and flags are written from the
// host's threads without the lock, hence atomic.
class EnvelopeEditor : public juce::Timer
{
public:
    // Given the engine's sample rate in Hz; anything not a positive finite rate counts as 44,100 Hz.
    explicit EnvelopeEditor(float engineSampleRate);
    ~EnvelopeEditor() override;

    EnvelopeEditor(const EnvelopeEditor&) = delete;
    EnvelopeEditor& operator=(const EnvelopeEditor&) = delete;

    // Replaces the points with the flat default curve at half level.
    void initializePoints();

    // The curve at x (normalised cycle position), clamped into 0..1; 0 outside every segment.
    // The caller holds `lock` when it passes `points`.
    static float evaluateCurve(const SplinePointList& curvePoints, float x);
    float evaluateCurve(float x) const { return evaluateCurve(points, x); }

    // The curve at a phase of 0..1: straight from the points while dirty, else from the table.
    // Audio thread (every voice, every sample) and the envelope view.
    float getEnvelopeValue(float phase);

    // Rebuilds the table when dirty, then re-arms the timer.
    void timerCallback() override;
    // Builds a table for the current points and timing without holding the lock and swaps it in;
    // the table stays dirty if the points or the timing changed meanwhile. Message thread.
    void rebuildLookupTable();

    // Deletes the first selected ordinary point; a selected start or end point is never deleted.
    void deleteSelectedSplinePoint();

    // Applies the host's tempo (beats per minute) and time signature, once per block before
    // rendering. Pass a tempo of 0 when the host gives no position or no tempo. Audio thread.
    void applyHostTiming(double hostBpm, int hostNumerator, int hostDenominator);

    // Replaces the points by a copy of a program's (an empty list keeps the current ones), marks the
    // table dirty and clears the selection. Allocation-free while the program has no more points than
    // the envelope has held before (or kReservedPoints). Audio thread, at a program change.
    void loadProgramPoints(const SplinePointList& programPoints);
    // A copy of the points taken under the lock, for storing into a program. Message thread.
    SplinePointList copyPoints() const;

    // Phase advance per sample (normalised cycle per sample), always in 0..1 and finite.
    float getPhaseStep() const noexcept;
    // Length of one cycle in samples at the current timing (unbounded; the table may be coarser).
    double getCycleLengthInSamples() const noexcept;
    // Entries a table for the current timing gets: one per sample, at most kMaxTableSize.
    int getTableSizeForCurrentTiming() const noexcept;

    static constexpr int kRebuildIntervalMs = 1000;
    // Bound of the table: 2 MiB of floats. One entry per sample still covers a whole 4/4 cycle at
    // 120 bpm up to 48 kHz; longer cycles get a coarser table, whose linear interpolation of the cubic
    // segments stays far below audibility (the bound is worked out at the top of EnvelopeEditor.cpp).
    static constexpr int kMaxTableSize = 1 << 19;
    // Point storage set aside at construction, so loading a program's points does not allocate.
    static constexpr int kReservedPoints = 64;

    SplinePointList points;
    std::vector<float> lookupTable;
    float sampleRate = 44100.0f;
    std::atomic<float> samplesPerBeat{22050.0f};
    float position = 0.0f;  // the view's marker; nothing moves it
    std::atomic<float> speedFactor{1.0f};
    std::atomic<float> timeSigDenominator{4.0f};
    std::atomic<float> timeSigNumerator{4.0f};
    std::atomic<float> bpm{120.0f};
    std::atomic<bool> isDirty{true};
    std::atomic<bool> isOneShot{false};
    std::atomic<bool> isFixTempo{false};
    juce::CriticalSection lock;

private:
    struct Timing
    {
        float samplesPerBeat, speedFactor, numerator, denominator;
        bool operator==(const Timing& other) const noexcept;
    };

    Timing currentTiming() const noexcept;
    static double cycleLengthFor(const Timing& timing) noexcept;
    static double stepFor(double cycle) noexcept;
    static bool fitsOneEntryPerSample(double cycle) noexcept;
    static int tableSizeFor(double cycle) noexcept;
    void copyIntoReusedStorage(const SplinePointList& source);

    // Point objects no longer in `points`, kept for the next program load.
    std::vector<std::unique_ptr<SplinePoint>> sparePoints;
};
