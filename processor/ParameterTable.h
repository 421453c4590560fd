// The 92 parameters: their indices, the names the host sees and the attribute names programs store.
#pragma once

constexpr int kNumParameters = 92;
constexpr int kNumPrograms = 256;
constexpr int kNumControllers = 256;

// Parameter indices, named like their stored attributes. The unnamed ones are commands and switches
// that never enter a program file.
namespace ParameterIndex
{
enum : int
{
    none = 0,
    volume = 1,
    filtertype,
    cutoff,
    resonance,
    keyfollow,
    filtercontour,
    filterattack,
    filterdecay,
    filtersustain,
    filterrelease,
    ampattack,
    ampdecay,
    ampsustain,
    amprelease,
    osc1volume,
    osc2volume,
    osc3volume,
    oscmastertune,
    osc1tune,
    osc2tune,
    osc1finetune,
    osc2finetune,
    osc1waveform,
    osc2waveform,
    oscsync,
    lfo1waveform,
    lfo2waveform,
    lfo1rate,
    lfo2rate,
    lfo1amount,
    lfo2amount,
    lfo1destination,
    lfo2destination,
    lfo1phase,
    lfo2phase,
    osc2fm,
    osc2phase,
    osc1pw,
    osc1phase,
    transpose,
    freeadattack,
    freeaddecay,
    freeadamount,
    freeaddestination,
    lfo1sync,
    lfo1keytrigger,
    lfo2sync,
    lfo2keytrigger,
    portamento,
    portamentomode,
    voices,
    velocityvolume,
    velocitycontour,
    velocitycutoff,
    pitchwheelcutoff,
    pitchwheelpitch,
    ringmodulation,
    chorus1enable,
    chorus2enable,
    reverbwet,
    reverbdecay,
    reverbpredelay,
    reverbhighcut,
    reverblowcut,
    oscbitcrusher,
    highpass,
    detune,
    vintagenoise,
    panic,      // 69: releases every voice
    midiLearn,  // 70: learning armed while above 0
    envelopeeditordest1,
    envelopeeditorspeed,
    envelopeeditoramount,
    envelopeoneshot,
    envelopefixtempo,
    envelopeReset,  // 76: restores the default envelope points
    tab1open,
    tab2open,
    tab3open,
    tab4open,
    filterdrive,
    delaywet,
    delaytime,
    delaysync,
    delayfactorl,
    delayfactorr,
    delayhighshelf,
    delaylowshelf,
    delayfeedback,
    presetLoad,  // 90: the editor's load button
    presetSave   // 91: the editor's save button
};
}  // namespace ParameterIndex

static_assert(ParameterIndex::panic == 69 && ParameterIndex::envelopeReset == 76 && ParameterIndex::filterdrive == 81 &&
              ParameterIndex::presetSave == 91);

namespace ParameterTable
{
// The name a host sees; empty for indices without one and for any index outside the table.
const char* getHostName(int index) noexcept;

// The attribute under which a program stores a parameter, in the order a program is written.
struct StoredAttribute
{
    const char* name;
    int index;
    float defaultWhenMissing;  // also an old-format step number for the discrete ones
};

constexpr int kNumStoredAttributes = 86;
const StoredAttribute* getStoredAttributes() noexcept;

bool isValidIndex(int index) noexcept;
// Switches that belong to the editor's layout rather than the sound: every program shares them.
bool isSharedByAllPrograms(int index) noexcept;
}  // namespace ParameterTable
