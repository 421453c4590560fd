// Lockstep filter bank: every lane gives exactly what its section alone gives, for every type and
// lane count, with moving and repeated cutoffs, resonance changes, idle resets and faults in one lane.
#include "engine/FilterBank.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr float kSampleRate = 44100.0f;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Two identical sets of sections: one run through the bank, one section by section.
struct Twins
{
    Twins(int count, const std::vector<int>& types)
    {
        for (int i = 0; i < count; ++i)
        {
            bank.push_back(std::make_unique<FilterSection>(kSampleRate));
            alone.push_back(std::make_unique<FilterSection>(kSampleRate));
            bank.back()->type = alone.back()->type = types[static_cast<size_t>(i) % types.size()];
            bank.back()->drive = alone.back()->drive = 0.5f * static_cast<float>(i);
            pointers.push_back(bank.back().get());
        }
    }

    std::vector<std::unique_ptr<FilterSection>> bank;
    std::vector<std::unique_ptr<FilterSection>> alone;
    std::vector<FilterSection*> pointers;
};

// Runs both for many samples with random signals and settings and reports the first difference.
void expectSameOutputs(int count, const std::vector<int>& types, unsigned seed)
{
    Twins twins(count, types);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> signal(-1.5f, 1.5f);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<float> inputs(static_cast<size_t>(count)), cutoffs(inputs), resonances(inputs), outputs(inputs);
    for (float& r : resonances)
        r = unit(random);

    for (int n = 0; n < 3000; ++n)
    {
        for (size_t i = 0; i < inputs.size(); ++i)
        {
            inputs[i] = signal(random);
            // Mostly moving, sometimes held (the coefficients are kept), sometimes out of range.
            const float pick = unit(random);
            if (pick < 0.6f)
                cutoffs[i] = unit(random);
            else if (pick > 0.95f)
                cutoffs[i] = 2.0f * unit(random) - 0.5f;
            if (unit(random) < 0.01f)
                resonances[i] = unit(random);
            if (unit(random) < 0.001f)
            {
                twins.bank[i]->resetForIdle();
                twins.alone[i]->resetForIdle();
            }
        }
        // A fault in one lane must clear only that lane, as it clears only its own section.
        if (n == 1000)
            inputs[0] = std::numeric_limits<float>::quiet_NaN();
        if (n == 2000)
            cutoffs[inputs.size() - 1] = std::numeric_limits<float>::infinity();

        FilterBank::process(twins.pointers.data(), count, inputs.data(), cutoffs.data(), resonances.data(),
                            outputs.data());
        for (size_t i = 0; i < inputs.size(); ++i)
        {
            const float expected = twins.alone[i]->process(inputs[i], cutoffs[i], resonances[i]);
            ASSERT_TRUE(sameBits(outputs[i], expected))
                << "sample " << n << " lane " << i << ": " << outputs[i] << " != " << expected;
        }
    }
}

TEST(FilterBankTest, EveryLaneMatchesItsSectionForEveryType)
{
    for (int type = 1; type <= 12; ++type)
    {
        SCOPED_TRACE(type);
        for (const int count : {1, 4, 5, 6, 8})
        {
            SCOPED_TRACE(count);
            expectSameOutputs(count, {type}, static_cast<unsigned>(100 * type + count));
        }
    }
}

// A bank whose sections disagree on the type still gives each section its own filter.
TEST(FilterBankTest, MixedTypesMatchTheirSections) { expectSameOutputs(6, {1, 3, 8, 11, 12, 7}, 7); }
}  // namespace
