// The filter sections of several voices run side by side, four to a vector, with the results of each on its own.
#include "engine/FilterBank.h"

#include "engine/LaneMath.h"

namespace
{
using dsp::Float4;
using dsp::Int4;
using dsp::kLanes;

// Four sections' ladders of one type, gathered into vector lanes for one base-rate sample and
// scattered back after it. Lanes past `used` repeat the first filter's values and are never stored.
template <class Ladder>
class LadderLanes
{
public:
    [[gnu::always_inline]] LadderLanes(FilterSection* const* sections, Ladder FilterSection::*member,
                                       const float* cutoffs, const float* resonances, int used)
        : lanes(used)
    {
        for (int i = 0; i < kLanes; ++i)
        {
            FilterSection& section = *sections[i < used ? i : 0];
            filters[i] = &(section.*member);
            samples[i] = section.oversampled;
            filters[i]->prepare(resonances[i < used ? i : 0]);
        }
        const Float4 c = gather(cutoffs);
        const Float4 r = gather(resonances);

        // Only the lanes whose cutoff moved take the new coefficients, as in the scalar run.
        const Float4 last = gather(&LadderFilter::lastCutoff);
        const Int4 moved = c != last;
        const auto fresh =
            LadderFilter::coefficientsFor(c, gather(&LadderFilter::sampleRateScale), Ladder::kTuningConstant,
                                          Ladder::kCutoffSlope, Ladder::kCutoffOffset);
        lastCutoff = dsp::select(moved, c, last);
        tuning = dsp::select(moved, fresh.tuning, gather(&LadderFilter::tuning));
        k = dsp::select(moved, fresh.k, gather(&LadderFilter::k));
        loop.g = dsp::select(moved, fresh.g, gather(&LadderFilter::g));

        loop.gain = gather(&LadderFilter::inputGain);
        loop.outputGain = gather(&LadderFilter::outputGain);
        loop.setUp(c, r, k);
        loop.a1 = gatherStage(&LadderFilter::subtracted, 0);
        loop.a2 = gatherStage(&LadderFilter::subtracted, 1);
        loop.a3 = gatherStage(&LadderFilter::subtracted, 2);
        loop.a4 = gatherStage(&LadderFilter::subtracted, 3);
        loop.b1 = gatherStage(&LadderFilter::added, 0);
        loop.b2 = gatherStage(&LadderFilter::added, 1);
        loop.b3 = gatherStage(&LadderFilter::added, 2);
        loop.b4 = gatherStage(&LadderFilter::added, 3);
        loop.fb = gather(&LadderFilter::feedback);
        for (int i = 0; i < kLanes; ++i)
            loop.seed[i] = filters[i]->noiseSeed;
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < kLanes; ++i)
                subSamples[j][i] = samples[i][j];
    }

    // Sub-sample j of every lane; the first must come first, as in the scalar run.
    [[gnu::always_inline]] void step(int j)
    {
        subSamples[j] = loop.template step<Ladder>(subSamples[j]);
        outputSum += subSamples[j];
    }

    [[gnu::always_inline]] void store()
    {
        const Int4 finite = dsp::finiteLanes(outputSum);
        const Float4 a1 = dsp::flushTiny(loop.a1), a2 = dsp::flushTiny(loop.a2);
        const Float4 a3 = dsp::flushTiny(loop.a3), a4 = dsp::flushTiny(loop.a4);
        const Float4 b1 = dsp::flushTiny(loop.b1), b2 = dsp::flushTiny(loop.b2);
        const Float4 b3 = dsp::flushTiny(loop.b3), b4 = dsp::flushTiny(loop.b4);
        const Float4 fb = dsp::flushTiny(loop.fb);
        for (int i = 0; i < lanes; ++i)
        {
            Ladder& f = *filters[i];
            f.lastCutoff = lastCutoff[i];
            f.tuning = tuning[i];
            f.k = k[i];
            f.g = loop.g[i];
            f.noiseSeed = loop.seed[i];
            if (!finite[i])
            {
                // A NaN or infinite setting or input must not leave the ladder stuck.
                f.clear();
                for (int j = 0; j < 4; ++j)
                    samples[i][j] = 0.0f;
                continue;
            }
            f.subtracted[0] = a1[i], f.subtracted[1] = a2[i], f.subtracted[2] = a3[i], f.subtracted[3] = a4[i];
            f.added[0] = b1[i], f.added[1] = b2[i], f.added[2] = b3[i], f.added[3] = b4[i];
            f.feedback = fb[i];
            for (int j = 0; j < 4; ++j)
                samples[i][j] = subSamples[j][i];
        }
    }

private:
    Float4 gather(const float* values) const
    {
        Float4 v;
        for (int i = 0; i < kLanes; ++i)
            v[i] = values[i < lanes ? i : 0];
        return v;
    }
    Float4 gather(float LadderFilter::*field) const
    {
        return Float4{filters[0]->*field, filters[1]->*field, filters[2]->*field, filters[3]->*field};
    }
    Float4 gatherStage(float (LadderFilter::*field)[LadderFilter::kStages], int stage) const
    {
        return Float4{(filters[0]->*field)[stage], (filters[1]->*field)[stage], (filters[2]->*field)[stage],
                      (filters[3]->*field)[stage]};
    }

    int lanes;
    Ladder* filters[kLanes];
    float* samples[kLanes];
    LadderFilter::Loop<Float4, Int4> loop;
    Float4 subSamples[4];
    Float4 lastCutoff;
    Float4 tuning;
    Float4 k;
    Float4 outputSum = {};
};
}  // namespace

namespace
{
bool runsLadder(int type) { return type >= FilterSection::lowPass24 && type <= FilterSection::notch; }

// Four sections at a time. Two groups are not stepped alternately: their state would not fit in
// the sixteen SSE registers, and the processor overlaps consecutive groups by itself.
template <class Ladder>
[[gnu::always_inline]] inline void runLadders(FilterSection* const* sections, Ladder FilterSection::*member, int count,
                                              const float* cutoffs, const float* resonances)
{
    for (int first = 0; first < count; first += kLanes)
    {
        const int left = count - first;
        LadderLanes<Ladder> lanes(sections + first, member, cutoffs + first, resonances + first,
                                  left < kLanes ? left : kLanes);
        for (int j = 0; j < 4; ++j)
            lanes.step(j);
        lanes.store();
    }
}
}  // namespace

// A second copy for processors with AVX2, chosen at load time: the same operations in three-operand
// form, without the register copies that SSE2's two-operand form needs. No FMA, so every lane still
// rounds as the scalar filter does.
[[gnu::target_clones("avx2", "default")]] void FilterBank::process(FilterSection* const* sections, int count,
                                                                   const float* inputs, const float* cutoffs,
                                                                   const float* resonances, float* outputs)
{
    if (count <= 0)
        return;
    const int type = sections[0]->type;
    bool together = runsLadder(type);
    for (int i = 1; i < count; ++i)
        together = together && sections[i]->type == type;
    // A single voice gains nothing from lanes and would pay for moving its state into them.
    if (!together || count == 1)
    {
        for (int i = 0; i < count; ++i)
            outputs[i] = sections[i]->process(inputs[i], cutoffs[i], resonances[i]);
        return;
    }

    float usableCutoffs[kMaxSections];
    for (int i = 0; i < count; ++i)
    {
        usableCutoffs[i] = FilterSection::usableCutoff(cutoffs[i]);
        sections[i]->upsample(inputs[i]);
    }
    switch (type)
    {
    case FilterSection::lowPass24:
        runLadders(sections, &FilterSection::lowPass24Filter, count, usableCutoffs, resonances);
        break;
    case FilterSection::lowPass18:
        runLadders(sections, &FilterSection::lowPass18Filter, count, usableCutoffs, resonances);
        break;
    case FilterSection::lowPass12:
        runLadders(sections, &FilterSection::lowPass12Filter, count, usableCutoffs, resonances);
        break;
    case FilterSection::lowPass6:
        runLadders(sections, &FilterSection::lowPass6Filter, count, usableCutoffs, resonances);
        break;
    case FilterSection::highPass12:
        runLadders(sections, &FilterSection::highPassFilter, count, usableCutoffs, resonances);
        break;
    case FilterSection::bandPass12:
        runLadders(sections, &FilterSection::bandPassFilter, count, usableCutoffs, resonances);
        break;
    default: runLadders(sections, &FilterSection::notchFilter, count, usableCutoffs, resonances); break;
    }
    for (int i = 0; i < count; ++i)
        outputs[i] = sections[i]->decimate();
}
