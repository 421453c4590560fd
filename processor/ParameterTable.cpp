// Parameter names and the stored-attribute table with the reader's defaults.
#include "processor/ParameterTable.h"

namespace ParameterTable
{
namespace
{
// Indexed by parameter index. Indices 77..80 have a stored name but the host sees none.
constexpr const char* kHostNames[kNumParameters] = {
    "",
    "volume", "filtertype", "cutoff", "resonance", "keyfollow", "filtercontour", "filterattack",
    "filterdecay", "filtersustain", "filterrelease", "ampattack", "ampdecay", "ampsustain", "amprelease",
    "osc1volume", "osc2volume", "osc3volume", "oscmastertune", "osc1tune", "osc2tune", "osc1finetune",
    "osc2finetune", "osc1waveform", "osc2waveform", "oscsync", "lfo1waveform", "lfo2waveform", "lfo1rate",
    "lfo2rate", "lfo1amount", "lfo2amount", "lfo1destination", "lfo2destination", "lfo1phase",
    "lfo2phase", "osc2fm", "osc2phase", "osc1pw", "osc1phase", "transpose", "freeadattack",
    "freeaddecay", "freeadamount", "freeaddestination", "lfo1sync", "lfo1keytrigger", "lfo2sync",
    "lfo2keytrigger", "portamento", "portamentomode", "voices", "velocityvolume", "velocitycontour",
    "velocitycutoff", "pitchwheelcutoff", "pitchwheelpitch", "ringmodulation", "chorus1enable",
    "chorus2enable", "reverbwet", "reverbdecay", "reverbpredelay", "reverbhighcut", "reverblowcut",
    "oscbitcrusher", "highpass", "detune", "vintagenoise",
    "", "",
    "envelopeeditordest1", "envelopeeditorspeed", "envelopeeditoramount", "envelopeoneshot",
    "envelopefixtempo",
    "",
    "", "", "", "",
    "filterdrive", "delaywet", "delaytime", "delaysync", "delayfactorl", "delayfactorr",
    "delayhighshelf", "delaylowshelf", "delayfeedback",
    "", ""
};

namespace P = ParameterIndex;

// Writer order. Defaults of the discrete parameters are old-format step numbers (1 = first step):
// old documents convert them, newer ones take them as normalised values.
constexpr StoredAttribute kStoredAttributes[kNumStoredAttributes] = {
    { "volume", P::volume, 0.5f },
    { "filtertype", P::filtertype, 1.0f },
    { "cutoff", P::cutoff, 1.0f },
    { "resonance", P::resonance, 0.0f },
    { "osc1volume", P::osc1volume, 0.8f },
    { "osc2volume", P::osc2volume, 0.0f },
    { "osc3volume", P::osc3volume, 0.8f },
    { "osc1waveform", P::osc1waveform, 1.0f },
    { "osc2waveform", P::osc2waveform, 1.0f },
    { "oscsync", P::oscsync, 0.0f },
    { "oscmastertune", P::oscmastertune, 0.5f },
    { "osc1tune", P::osc1tune, 0.25f },
    { "osc2tune", P::osc2tune, 0.5f },
    { "osc1finetune", P::osc1finetune, 0.5f },
    { "osc2finetune", P::osc2finetune, 0.5f },
    { "portamento", P::portamento, 0.0f },
    { "keyfollow", P::keyfollow, 0.0f },
    { "filtercontour", P::filtercontour, 0.5f },
    { "filterattack", P::filterattack, 0.0f },
    { "filterdecay", P::filterdecay, 0.0f },
    { "filtersustain", P::filtersustain, 1.0f },
    { "filterrelease", P::filterrelease, 0.0f },
    { "ampattack", P::ampattack, 0.0f },
    { "ampdecay", P::ampdecay, 0.0f },
    { "ampsustain", P::ampsustain, 1.0f },
    { "amprelease", P::amprelease, 0.0f },
    { "voices", P::voices, 1.0f },
    { "portamentomode", P::portamentomode, 1.0f },
    { "lfo1waveform", P::lfo1waveform, 0.0f },
    { "lfo2waveform", P::lfo2waveform, 0.0f },
    { "lfo1rate", P::lfo1rate, 0.0f },
    { "lfo2rate", P::lfo2rate, 0.0f },
    { "lfo1amount", P::lfo1amount, 0.5f },
    { "lfo2amount", P::lfo2amount, 0.5f },
    { "lfo1destination", P::lfo1destination, 1.0f },
    { "lfo2destination", P::lfo2destination, 1.0f },
    { "lfo1phase", P::lfo1phase, 0.0f },
    { "lfo2phase", P::lfo2phase, 0.0f },
    { "osc1pw", P::osc1pw, 0.5f },
    { "osc2fm", P::osc2fm, 0.0f },
    { "osc1phase", P::osc1phase, 0.5f },
    { "osc2phase", P::osc2phase, 0.0f },
    { "transpose", P::transpose, 0.5f },
    { "freeadattack", P::freeadattack, 0.0f },
    { "freeaddecay", P::freeaddecay, 0.0f },
    { "freeadamount", P::freeadamount, 0.0f },
    { "freeaddestination", P::freeaddestination, 1.0f },
    { "lfo1sync", P::lfo1sync, 0.0f },
    { "lfo1keytrigger", P::lfo1keytrigger, 0.0f },
    { "lfo2sync", P::lfo2sync, 0.0f },
    { "lfo2keytrigger", P::lfo2keytrigger, 0.0f },
    { "velocityvolume", P::velocityvolume, 0.0f },
    { "velocitycontour", P::velocitycontour, 0.0f },
    { "velocitycutoff", P::velocitycutoff, 0.0f },
    { "pitchwheelcutoff", P::pitchwheelcutoff, 0.0f },
    { "pitchwheelpitch", P::pitchwheelpitch, 0.0f },
    { "highpass", P::highpass, 0.0f },
    { "detune", P::detune, 0.0f },
    { "vintagenoise", P::vintagenoise, 0.0f },
    { "ringmodulation", P::ringmodulation, 0.0f },
    { "chorus1enable", P::chorus1enable, 0.0f },
    { "chorus2enable", P::chorus2enable, 0.0f },
    { "reverbwet", P::reverbwet, 0.0f },
    { "reverbdecay", P::reverbdecay, 0.5f },
    { "reverbpredelay", P::reverbpredelay, 0.0f },
    { "reverbhighcut", P::reverbhighcut, 1.0f },
    { "reverblowcut", P::reverblowcut, 0.1f },
    { "oscbitcrusher", P::oscbitcrusher, 1.0f },
    { "filterdrive", P::filterdrive, 0.0f },
    { "delaywet", P::delaywet, 0.0f },
    { "delaytime", P::delaytime, 0.5f },
    { "delaysync", P::delaysync, 0.0f },
    { "delayfactorl", P::delayfactorl, 0.0f },
    { "delayfactorr", P::delayfactorr, 0.0f },
    { "delayhighshelf", P::delayhighshelf, 0.0f },
    { "delaylowshelf", P::delaylowshelf, 0.0f },
    { "delayfeedback", P::delayfeedback, 0.5f },
    { "envelopeeditordest1", P::envelopeeditordest1, 1.0f },
    { "envelopeeditorspeed", P::envelopeeditorspeed, 1.0f },
    { "envelopeeditoramount", P::envelopeeditoramount, 0.0f },
    { "envelopeoneshot", P::envelopeoneshot, 0.0f },
    { "envelopefixtempo", P::envelopefixtempo, 0.0f },
    { "tab1open", P::tab1open, 1.0f },
    { "tab2open", P::tab2open, 1.0f },
    { "tab3open", P::tab3open, 0.0f },
    { "tab4open", P::tab4open, 0.0f },
};
} // namespace

bool isValidIndex (int index) noexcept
{
    return index >= 0 && index < kNumParameters;
}

bool isSharedByAllPrograms (int index) noexcept
{
    return index >= ParameterIndex::tab1open && index <= ParameterIndex::tab4open;
}

const char* getHostName (int index) noexcept
{
    if (! isValidIndex (index) || isSharedByAllPrograms (index))
        return "";
    return kHostNames[index];
}

const StoredAttribute* getStoredAttributes() noexcept
{
    return kStoredAttributes;
}
} // namespace ParameterTable
