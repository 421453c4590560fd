// The values a program holds before any bank is read into it.
#include "processor/Program.h"

Program::Program()
{
    namespace P = ParameterIndex;
    values[P::volume] = 0.5f;

    for (int index :
         {P::filtertype, P::cutoff, P::filtersustain, P::ampsustain, P::osc1waveform, P::osc2waveform,
          P::lfo1destination, P::lfo2destination, P::freeaddestination, P::portamentomode, P::voices, P::reverblowcut,
          P::oscbitcrusher, P::envelopeeditordest1, P::envelopeeditorspeed, P::tab1open, P::tab2open})
        values[(size_t)index] = 1.0f;

    values[P::osc1volume] = 0.8f;
    values[P::osc3volume] = 0.8f;
    values[P::osc1tune] = 0.25f;

    for (int index : {P::filtercontour, P::oscmastertune, P::osc2tune, P::osc1finetune, P::osc2finetune, P::lfo1amount,
                      P::lfo2amount, P::osc1pw, P::osc1phase, P::transpose, P::reverbdecay})
        values[(size_t)index] = 0.5f;
}
