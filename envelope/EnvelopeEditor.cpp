// Curve evaluation, the bounded cycle table with its off-lock rebuild, host timing and point loading.
#include "envelope/EnvelopeEditor.h"

#include <algorithm>
#include <cmath>

// Why a coarser table is inaudible: within a segment of width w (cycle fraction) with every handle in
// the unit square, the curve's second derivative is at most 12 / w^2, so linear interpolation between
// entries h apart errs by at most 1.5 (h / w)^2. At the bound (h = 1 / 524,287) even points 1/1000 of a
// cycle apart stay within 6e-6 of full scale (about -104 dB, 0.03 cent at the full ±24 semitones).
// A bounded table is laid out on the lookup's own grid (entry i at i / (n - 1)), so coarsening adds
// no stretch of the cycle, only that interpolation error.

namespace
{
// Tempos outside this range (beats per minute) are held at its edges, so the beat length in samples
// stays finite and positive whatever the host reports.
constexpr double kMinTempo = 0.01;
constexpr double kMaxTempo = 100000.0;
constexpr float kDefaultSampleRate = 44100.0f;
constexpr float kDefaultBeatFraction = 0.5f;  // a beat at 120 bpm, in seconds
constexpr float kCoincidentPointsDivisor = 1e-11f;

float clampToUnit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

bool sameGeometry(const SplinePoint& a, const SplinePoint& b)
{
    return a.centerPoint == b.centerPoint && a.controlPointLeft == b.controlPointLeft &&
           a.controlPointRight == b.controlPointRight;
}

bool sameCurve(const SplinePointList& a, const SplinePointList& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!sameGeometry(a[i], b[i]))
            return false;
    return true;
}
}  // namespace

bool EnvelopeEditor::Timing::operator==(const Timing& other) const noexcept
{
    return samplesPerBeat == other.samplesPerBeat && speedFactor == other.speedFactor && numerator == other.numerator &&
           denominator == other.denominator;
}

EnvelopeEditor::EnvelopeEditor(float engineSampleRate)
    : sampleRate(std::isfinite(engineSampleRate) && engineSampleRate > 0.0f ? engineSampleRate : kDefaultSampleRate)
    , samplesPerBeat(sampleRate * kDefaultBeatFraction)
{
    points.points.reserve(kReservedPoints);
    // Room for every object the two vectors will ever trade, so moving between them never reallocates.
    sparePoints.reserve(2 * kReservedPoints);
    for (int i = 0; i < kReservedPoints; ++i)
        sparePoints.push_back(std::make_unique<SplinePoint>(0.0f, 0.0f));

    initializePoints();
    startTimer(kRebuildIntervalMs);
}

EnvelopeEditor::~EnvelopeEditor() { stopTimer(); }

void EnvelopeEditor::initializePoints()
{
    const auto defaults = SplinePointList::makeDefault();
    const juce::ScopedLock sl(lock);
    copyIntoReusedStorage(defaults);
}

float EnvelopeEditor::evaluateCurve(const SplinePointList& curvePoints, float x)
{
    for (int k = 0; k + 1 < curvePoints.size(); ++k)
    {
        const auto& from = curvePoints[k];
        const auto& to = curvePoints[k + 1];
        if (!(from.centerPoint.x <= x && x <= to.centerPoint.x))
            continue;

        const auto p0 = from.centerPoint;
        const auto p1 = from.controlPointRight;
        const auto p2 = to.controlPointLeft;
        const auto p3 = to.centerPoint;

        // The Bezier parameter is the linear fraction of x; the curve's x component is not solved for.
        float dx = p3.x - p0.x;
        if (!(dx > 0.0f))
            dx = kCoincidentPointsDivisor;
        const float t = (x - p0.x) / dx;

        const float c = 3.0f * (p1.y - p0.y);
        const float b = 3.0f * (p2.y - p1.y) - c;
        const float a = p3.y - p0.y - c - b;
        return clampToUnit(p0.y + c * t + b * t * t + a * t * t * t);
    }
    return 0.0f;
}

float EnvelopeEditor::getEnvelopeValue(float phase)
{
    const juce::ScopedLock sl(lock);
    if (isDirty.load(std::memory_order_relaxed))
        return evaluateCurve(points, phase);

    const int n = (int)lookupTable.size();
    // Outside the cycle the direct path finds no segment either.
    if (n == 0 || !(phase >= 0.0f && phase <= 1.0f))
        return 0.0f;

    const float pos = (float)(n - 1) * phase;
    const int i = (int)pos;
    const int j = i + 1 < n ? i + 1 : i + 1 - n;
    const float low = lookupTable[(size_t)i];
    const float high = lookupTable[(size_t)j];
    return low + (high - low) * (pos - (float)i);
}

void EnvelopeEditor::timerCallback()
{
    if (isDirty)
        rebuildLookupTable();
    startTimer(kRebuildIntervalMs);
}

void EnvelopeEditor::rebuildLookupTable()
{
    SplinePointList snapshot;
    Timing timing;
    {
        const juce::ScopedLock sl(lock);
        snapshot = points;
        timing = currentTiming();
    }

    const double cycle = cycleLengthFor(timing);
    const int n = tableSizeFor(cycle);
    const double spacing = fitsOneEntryPerSample(cycle) ? stepFor(cycle) : 1.0 / (n - 1);

    std::vector<float> table((size_t)n);
    for (int i = 0; i < n; ++i)
        table[(size_t)i] = evaluateCurve(snapshot, (float)(i * spacing));

    {
        const juce::ScopedLock sl(lock);
        // An edit or a new timing during the build keeps the table dirty for the next round.
        if (sameCurve(snapshot, points) && timing == currentTiming())
        {
            lookupTable.swap(table);
            isDirty = false;
        }
    }
    // `table` now holds the old one, freed here on the rebuilding thread, outside the lock.
}

void EnvelopeEditor::deleteSelectedSplinePoint()
{
    const juce::ScopedLock sl(lock);
    for (int i = 0; i < points.size(); ++i)
    {
        const auto& p = points[i];
        if (!p.isSelected)
            continue;
        if (p.isStartPoint || p.isEndPoint)
            return;

        points.remove(i);
        points.sort();
        isDirty = true;
        return;
    }
}

void EnvelopeEditor::applyHostTiming(double hostBpm, int hostNumerator, int hostDenominator)
{
    if (!(hostBpm > 0.0) || !std::isfinite(hostBpm))
    {
        // Without a host tempo the envelope runs at 120 bpm; the table keeps its layout.
        bpm = 120.0f;
        samplesPerBeat = sampleRate * kDefaultBeatFraction;
        return;
    }

    const auto tempo = (float)std::clamp(hostBpm, kMinTempo, kMaxTempo);
    // Compared after the 0 → 4 reading, so a host that reports 0 does not re-dirty every block.
    const auto numerator = (float)(hostNumerator > 0 ? hostNumerator : 4);
    const auto denominator = (float)(hostDenominator > 0 ? hostDenominator : 4);
    if (bpm == tempo && timeSigNumerator == numerator && timeSigDenominator == denominator)
        return;

    // Under the lock, so a rebuild running now sees the change when it compares before swapping.
    const juce::ScopedLock sl(lock);
    bpm = tempo;
    samplesPerBeat = isFixTempo ? sampleRate * kDefaultBeatFraction : (float)(sampleRate * 60.0 / tempo);
    timeSigNumerator = numerator;
    timeSigDenominator = denominator;
    isDirty = true;
}

void EnvelopeEditor::loadProgramPoints(const SplinePointList& programPoints)
{
    const juce::ScopedLock sl(lock);
    if (!programPoints.isEmpty())
        copyIntoReusedStorage(programPoints);

    for (auto& p : points.points)
    {
        p->isSelected = false;
        p->isLeftControlSelected = false;
        p->isRightControlSelected = false;
    }
    isDirty = true;
}

SplinePointList EnvelopeEditor::copyPoints() const
{
    const juce::ScopedLock sl(lock);
    return points;
}

float EnvelopeEditor::getPhaseStep() const noexcept { return (float)stepFor(cycleLengthFor(currentTiming())); }

double EnvelopeEditor::getCycleLengthInSamples() const noexcept { return cycleLengthFor(currentTiming()); }

int EnvelopeEditor::getTableSizeForCurrentTiming() const noexcept
{
    return tableSizeFor(cycleLengthFor(currentTiming()));
}

EnvelopeEditor::Timing EnvelopeEditor::currentTiming() const noexcept
{
    return {samplesPerBeat.load(std::memory_order_relaxed), speedFactor.load(std::memory_order_relaxed),
            timeSigNumerator.load(std::memory_order_relaxed), timeSigDenominator.load(std::memory_order_relaxed)};
}

double EnvelopeEditor::cycleLengthFor(const Timing& timing) noexcept
{
    return (double)timing.samplesPerBeat * timing.denominator * timing.numerator / timing.speedFactor;
}

double EnvelopeEditor::stepFor(double cycle) noexcept
{
    // Damaged timing (NaN, zero, negative, infinite) stops the envelope rather than poisoning phases;
    // a cycle shorter than a sample is held at one per sample, which keeps a looping phase below 1
    // after its wrap.
    if (cycle >= 1.0)
        return 1.0 / cycle;
    return cycle > 0.0 ? 1.0 : 0.0;
}

bool EnvelopeEditor::fitsOneEntryPerSample(double cycle) noexcept { return cycle > 0.0 && cycle < kMaxTableSize + 1.0; }

int EnvelopeEditor::tableSizeFor(double cycle) noexcept
{
    // Decided in double before any conversion to int, so a huge or NaN cycle cannot overflow it.
    return fitsOneEntryPerSample(cycle) ? std::max(1, (int)cycle) : kMaxTableSize;
}

void EnvelopeEditor::copyIntoReusedStorage(const SplinePointList& source)
{
    auto& target = points.points;
    while (target.size() > source.points.size())
    {
        sparePoints.push_back(std::move(target.back()));
        target.pop_back();
    }
    while (target.size() < source.points.size())
    {
        if (sparePoints.empty())
        {
            target.push_back(std::make_unique<SplinePoint>(0.0f, 0.0f));
            continue;
        }
        target.push_back(std::move(sparePoints.back()));
        sparePoints.pop_back();
    }

    for (size_t i = 0; i < target.size(); ++i)
        *target[i] = *source.points[i];

    // Re-point each copied link at the copy of its target, never into the program's list.
    for (size_t i = 0; i < target.size(); ++i)
    {
        const auto* linked = source.points[i]->linkedPoint;
        target[i]->linkedPoint = nullptr;
        for (size_t j = 0; j < source.points.size() && linked != nullptr; ++j)
            if (source.points[j].get() == linked)
                target[i]->linkedPoint = target[j].get();
    }
}
