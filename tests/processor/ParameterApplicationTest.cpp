// Every parameter conversion reaches the engine setting it names, with its curve and its steps.
#include "engine/SynthEngine.h"
#include "processor/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace P = ParameterIndex;

namespace
{
SynthVoice& voice(PluginProcessor& p, int i = 5) { return p.engine->voiceManager->voices[(size_t)i]; }

struct Case
{
    int index;
    float value;
    float expected;
    std::function<float(PluginProcessor&)> setting;
};

float e20(float x) { return (std::pow(20.0f, x) - 1.0f) / 19.0f; }
}  // namespace

TEST(ParameterApplication, ConversionsWriteTheirSettings)
{
    const auto masterVolume = [](PluginProcessor& p) { return p.engine->masterVolume; };
    const auto filterType = [](PluginProcessor& p) { return (float)voice(p).filter->type; };
    const auto osc1Tune = [](PluginProcessor& p) { return voice(p).osc1Tune; };
    const auto osc1Waveform = [](PluginProcessor& p) { return (float)voice(p).osc1->waveform; };
    const auto osc2Waveform = [](PluginProcessor& p) { return (float)voice(p).osc2->waveform; };
    const auto lfo1Waveform = [](PluginProcessor& p) { return (float)p.engine->lfo1->waveform; };
    const auto transpose = [](PluginProcessor& p) { return voice(p).transpose; };
    const auto crusherLevels = [](PluginProcessor& p)
    { return voice(p).bitCrusherOn ? voice(p).bitCrusherLevels : -1.0f; };
    const auto portamentoMode = [](PluginProcessor& p) { return (float)voice(p).portamentoMode; };

    const Case cases[] = {
        {P::volume, 0.5f, 1.0f, masterVolume},
        {P::volume, 0.0f, 0.0f, masterVolume},
        {P::volume, 1.0f, 21.0f, masterVolume},
        {P::filtertype, 0.04f, 1.0f, filterType},
        {P::filtertype, 0.05f, 2.0f, filterType},
        {P::filtertype, 1.0f, 12.0f, filterType},
        {P::cutoff, 1.0f, 1.0f, [](PluginProcessor& p) { return p.engine->cutoff; }},
        {P::cutoff, 0.5f, (std::sqrt(8.0f) - 1.0f) / 7.0f, [](PluginProcessor& p) { return p.engine->cutoff; }},
        {P::resonance, 0.3f, 0.3f, [](PluginProcessor& p) { return voice(p).resonance; }},
        {P::keyfollow, 0.5f, 0.25f, [](PluginProcessor& p) { return voice(p).keyFollow; }},
        {P::filtercontour, 1.0f, 1.0f, [](PluginProcessor& p) { return voice(p).contour; }},
        {P::filtercontour, 0.25f, -0.125f, [](PluginProcessor& p) { return voice(p).contour; }},
        {P::filtersustain, 0.5f, e20(0.5f), [](PluginProcessor& p) { return voice(p).filter->envelope.sustain; }},
        {P::ampsustain, 0.5f, 0.5f, [](PluginProcessor& p) { return voice(p).amplitudeEnvelope->sustain; }},
        {P::osc1volume, 1.0f, 1.0f, [](PluginProcessor& p) { return voice(p).osc1->gain; }},
        {P::osc3volume, 0.0f, 0.0f, [](PluginProcessor& p) { return voice(p).subOsc->gain; }},
        {P::oscmastertune, 0.75f, 0.5f, [](PluginProcessor& p) { return voice(p).masterTune; }},
        {P::osc1tune, 0.25f, -12.0f, osc1Tune},
        {P::osc1tune, 0.49f, 0.0f, osc1Tune},
        {P::osc1tune, 0.51f, 0.0f, osc1Tune},
        {P::osc1tune, 0.53f, 1.0f, osc1Tune},
        {P::osc1waveform, 0.5f, 1.0f, osc1Waveform},
        {P::osc1waveform, 1.0f, 4.0f, osc1Waveform},
        {P::osc1waveform, 2.0f, 0.0f, osc1Waveform},
        {P::osc2waveform, 0.25f, 1.0f, osc2Waveform},
        {P::osc2waveform, 0.5f, 2.0f, osc2Waveform},
        {P::osc2waveform, 0.75f, 3.0f, osc2Waveform},
        {P::lfo1waveform, 1.0f, 5.0f, lfo1Waveform},
        {P::lfo1waveform, 0.19f, 0.0f, lfo1Waveform},
        {P::transpose, 0.5f, 0.0f, transpose},
        {P::transpose, 0.3f, -12.0f, transpose},
        {P::transpose, 0.99f, 12.0f, transpose},
        {P::transpose, 1.0f, 24.0f, transpose},
        {P::transpose, 1.5f, 0.0f, transpose},
        {P::lfo1amount, 0.0f, -1.0f, [](PluginProcessor& p) { return p.engine->lfo1->amount; }},
        {P::lfo2destination, 1.0f, 8.0f, [](PluginProcessor& p) { return (float)p.engine->lfo2->destination; }},
        {P::freeaddestination, 0.2f, 2.0f,
         [](PluginProcessor& p) { return (float)voice(p).freeEnvelope->destination; }},
        {P::portamentomode, 0.5f, 2.0f, portamentoMode},
        {P::portamentomode, 1.0f, 3.0f, portamentoMode},
        {P::velocitycontour, 1.0f, 1.0f, [](PluginProcessor& p) { return p.engine->velocity.contour; }},
        {P::pitchwheelpitch, 0.7f, 0.7f, [](PluginProcessor& p) { return p.engine->pitchWheel.pitchAmount; }},
        {P::oscbitcrusher, 1.0f, -1.0f, crusherLevels},
        {P::oscbitcrusher, 0.999f, std::trunc(std::pow(0.999f, 8.0f) * 65535.0f + 1.0f), crusherLevels},
        {P::oscbitcrusher, 0.0f, 1.0f, crusherLevels},
        {P::highpass, 0.0f, 0.999f, [](PluginProcessor& p) { return p.engine->masterHighPass.coefficient; }},
        {P::highpass, 1.0f, 0.599f, [](PluginProcessor& p) { return p.engine->masterHighPass.coefficient; }},
        {P::delayfeedback, 1.0f, 2.0f, [](PluginProcessor& p) { return p.engine->delay->leftDelay.feedback; }},
        {P::delayfeedback, 0.5f, 1.0f, [](PluginProcessor& p) { return p.engine->delay->rightDelay.feedback; }},
        {P::delaylowshelf, 0.0f, 0.979f,
         [](PluginProcessor& p) { return p.engine->delay->leftDelay.feedbackHighPass.coefficient; }},
        {P::reverbwet, 0.5f, e20(0.5f), [](PluginProcessor& p) { return p.engine->reverb->wet; }},
        {P::reverbdecay, 1.0f, 0.99f, [](PluginProcessor& p) { return p.engine->reverb->reverb.decay; }},
        {P::detune, 0.5f, 0.25f, [](PluginProcessor& p) { return voice(p).detuneAmount; }},
        {P::filterdrive, 0.5f, 5.0f, [](PluginProcessor& p) { return voice(p).filter->drive; }},
        {P::osc2fm, 0.5f, e20(0.5f), [](PluginProcessor& p) { return voice(p).osc2Fm; }},
    };

    for (const auto& c : cases)
    {
        PluginProcessor processor;
        processor.setParameter(c.index, c.value);
        EXPECT_NEAR(c.setting(processor), c.expected, 1e-5f * std::max(1.0f, std::fabs(c.expected)))
            << "index " << c.index << " value " << c.value;
        EXPECT_EQ(processor.getParameter(c.index), c.value);
    }
}

TEST(ParameterApplication, OutOfRangeStepsLeaveTheSettingButStoreTheValue)
{
    PluginProcessor processor;
    processor.setParameter(P::lfo1waveform, 0.4f);
    processor.setParameter(P::lfo1waveform, 1.2f);
    EXPECT_EQ(processor.engine->lfo1->waveform, 2);
    EXPECT_FLOAT_EQ(processor.getParameter(P::lfo1waveform), 1.2f);

    processor.setParameter(P::lfo2destination, 0.5f);
    for (float bad : {-1.0f, 2.0f, 1e30f})
    {
        processor.setParameter(P::lfo2destination, bad);
        EXPECT_EQ(processor.engine->lfo2->destination, 5) << bad;
    }

    // NaN converts as 0, whatever the parameter, and is still stored as it came.
    processor.setParameter(P::lfo2destination, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(processor.engine->lfo2->destination, 1);
    EXPECT_TRUE(std::isnan(processor.getParameter(P::lfo2destination)));
    processor.setParameter(P::volume, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(processor.engine->masterVolume, 0.0f);
}

TEST(ParameterApplication, EverySettingIsWrittenIntoAllSixVoices)
{
    PluginProcessor processor;
    processor.setParameter(P::resonance, 0.7f);
    processor.setParameter(P::osc2waveform, 0.5f);
    for (int i = 0; i < 6; ++i)
    {
        EXPECT_FLOAT_EQ(voice(processor, i).resonance, 0.7f);
        EXPECT_EQ(voice(processor, i).osc2->waveform, Osc::waveformTriangle);
    }
}

TEST(ParameterApplication, SyncedLfoRateFollowsTheTempoAndTheSyncSwitch)
{
    PluginProcessor processor;
    processor.setParameter(P::lfo1rate, 0.5f);
    const float freeRate = processor.engine->lfo1->baseRate;
    EXPECT_NEAR(freeRate, (std::exp(0.5f * 3.0f * 2.9957323f + 0.2f) - 1.0f) / 19.0f, 1e-4f);

    processor.setParameter(P::lfo1sync, 1.0f);
    const float synced = processor.engine->lfo1->baseRate;
    EXPECT_TRUE(processor.engine->lfo1->sync);
    EXPECT_NE(synced, freeRate);

    processor.setParameter(P::lfo1sync, 0.0f);
    EXPECT_FLOAT_EQ(processor.engine->lfo1->baseRate, freeRate);
}

TEST(ParameterApplication, EveryIndexBecomesTheLearnTargetAndCountsItsChanges)
{
    PluginProcessor processor;
    for (int index : {P::none, P::midiLearn, P::presetSave, P::cutoff})
    {
        processor.setParameter(index, 0.5f);
        EXPECT_EQ(processor.lastTouchedParameter, index);
        EXPECT_EQ(processor.changeCounts[(size_t)index], 1);
    }
}

TEST(ParameterApplication, PanicReleasesEveryVoice)
{
    PluginProcessor processor;
    processor.engine->setNumberOfVoices(6);
    processor.engine->noteOn(60, 1.0f);
    processor.engine->noteOn(64, 1.0f);
    processor.setParameter(P::panic, 0.0f);
    for (int i = 0; i < 6; ++i)
        EXPECT_FALSE(voice(processor, i).gate);
}

TEST(ParameterApplication, DelayTimesFollowTheTimeRule)
{
    PluginProcessor processor;
    auto& delay = *processor.engine->delay;
    processor.setParameter(P::delaysync, 1.0f);
    processor.setParameter(P::delaytime, 0.5f);  // table entry 8 at 120 bpm: 45 / 120
    EXPECT_FLOAT_EQ(delay.leftDelay.time, 0.375f);
    EXPECT_FLOAT_EQ(delay.rightDelay.time, 0.375f);
    processor.setParameter(P::delayfactorr, 1.0f);
    EXPECT_FLOAT_EQ(delay.leftDelay.time, 0.375f);
    EXPECT_FLOAT_EQ(delay.rightDelay.time, 0.1875f);

    processor.setParameter(P::delayfactorr, 0.0f);
    processor.setParameter(P::delaytime, 2.0f / 17.0f + 0.001f);  // the entry the editor calls "1/4"
    EXPECT_FLOAT_EQ(delay.leftDelay.time, 0.25f);
}

TEST(ParameterApplication, ChorusSwitchesStayInStepWithTheProgram)
{
    PluginProcessor processor;
    processor.programs[0].values[P::chorus1enable] = 1.0f;  // stored, not yet applied
    processor.setParameter(P::chorus2enable, 1.0f);
    EXPECT_TRUE(processor.engine->chorus->chorus1On);
    EXPECT_TRUE(processor.engine->chorus->chorus2On);
    processor.setParameter(P::chorus1enable, 0.0f);
    EXPECT_FALSE(processor.engine->chorus->chorus1On);
    EXPECT_TRUE(processor.engine->chorus->chorus2On);
}
