#!/usr/bin/env python3
"""Writes resources/FactoryBank.xml, the 256-program bank compiled into the plug-in.

Every program is the init program plus the settings that make it different. The bank is a
version 1.6 document: discrete parameters are normalised step values, except `filtertype`, which
1.6 still encodes on the old ten-entry menu (entry k is k / 9); the reader moves it to the
twelve-entry menu when the bank is loaded.

Run from anywhere: python3 tools/bankgen/generate_factory_bank.py
With --check it writes nothing and fails when the checked-in bank differs from what it would write.
"""
import os
import sys

# Attribute order of a program element, as the plug-in itself writes it.
ATTRIBUTE_ORDER = [
    "volume", "filtertype", "cutoff", "resonance", "osc1volume", "osc2volume", "osc3volume",
    "osc1waveform", "osc2waveform", "oscsync", "oscmastertune", "osc1tune", "osc2tune",
    "osc1finetune", "osc2finetune", "portamento", "keyfollow", "filtercontour", "filterattack",
    "filterdecay", "filtersustain", "filterrelease", "ampattack", "ampdecay", "ampsustain",
    "amprelease", "voices", "portamentomode", "lfo1waveform", "lfo2waveform", "lfo1rate",
    "lfo2rate", "lfo1amount", "lfo2amount", "lfo1destination", "lfo2destination", "lfo1phase",
    "lfo2phase", "osc1pw", "osc2fm", "osc1phase", "osc2phase", "transpose", "freeadattack",
    "freeaddecay", "freeadamount", "freeaddestination", "lfo1sync", "lfo1keytrigger", "lfo2sync",
    "lfo2keytrigger", "velocityvolume", "velocitycontour", "velocitycutoff", "pitchwheelcutoff",
    "pitchwheelpitch", "highpass", "detune", "vintagenoise", "ringmodulation", "chorus1enable",
    "chorus2enable", "reverbwet", "reverbdecay", "reverbpredelay", "reverbhighcut", "reverblowcut",
    "oscbitcrusher", "filterdrive", "delaywet", "delaytime", "delaysync", "delayfactorl",
    "delayfactorr", "delayhighshelf", "delaylowshelf", "delayfeedback", "envelopeeditordest1",
    "envelopeeditorspeed", "envelopeeditoramount", "envelopeoneshot", "envelopefixtempo",
    "tab1open", "tab2open", "tab3open", "tab4open",
]
assert len(ATTRIBUTE_ORDER) == 86

# The start-up sound: one saw an octave down with the sub oscillator, filter open, organ envelope.
INIT = {name: 0.0 for name in ATTRIBUTE_ORDER}
INIT.update({
    "volume": 0.408, "cutoff": 1.0, "filtercontour": 0.5, "filtersustain": 1.0, "ampsustain": 1.0,
    "osc1volume": 0.8, "osc3volume": 0.8, "oscmastertune": 0.5, "osc1tune": 0.25, "osc2tune": 0.5,
    "osc1finetune": 0.5, "osc2finetune": 0.5, "lfo1amount": 0.5, "lfo2amount": 0.5, "osc1pw": 0.5,
    "osc1phase": 0.5, "transpose": 0.5, "reverbdecay": 0.5, "reverblowcut": 1.0, "oscbitcrusher": 1.0,
    "delaytime": 0.5, "delayfeedback": 0.5, "tab1open": 1.0, "tab4open": 1.0,
})

# Default envelope: flat at half level from the start point to the end point.
DEFAULT_POINTS = [
    dict(isStartPoint=1, isEndPoint=0, centerPointX=0.0, centerPointY=0.5,
         controlPointLeftX=0.0, controlPointLeftY=0.5, controlPointRightX=0.1, controlPointRightY=0.5),
    dict(isStartPoint=0, isEndPoint=1, centerPointX=1.0, centerPointY=0.5,
         controlPointLeftX=0.9, controlPointLeftY=0.5, controlPointRightX=1.0, controlPointRightY=0.5),
]

# Programs other than the init program, by slot: (name, settings that differ from INIT, points).
DESIGNED = {}


def fmt(value):
    text = repr(float(value))
    return text[:-2] if text.endswith(".0") else text


def escape(text):
    return (text.replace("&", "&amp;").replace('"', "&quot;").replace("<", "&lt;").replace(">", "&gt;"))


def program_xml(name, values, points):
    attributes = " ".join(f'{key}="{fmt(values[key])}"' for key in ATTRIBUTE_ORDER)
    point_xml = "".join(
        "<splinePoint " + " ".join(f'{k}="{fmt(v) if isinstance(v, float) else v}"' for k, v in p.items()) + "/>"
        for p in points)
    return f'<program programname="{escape(name)}" {attributes}><splinePoints>{point_xml}</splinePoints></program>'


def main():
    programs = []
    for slot in range(256):
        if slot == 0:
            programs.append(program_xml("Init", INIT, DEFAULT_POINTS))
        elif slot in DESIGNED:
            name, changes, points = DESIGNED[slot]
            values = dict(INIT)
            values.update(changes)
            programs.append(program_xml(name, values, points))
        else:
            programs.append(program_xml(f"Init {slot:03d}", INIT, DEFAULT_POINTS))

    xml = ('<?xml version="1.0" encoding="UTF-8"?>\n'
           '<zem curprogram="0" version="1.6"><programs>' + "".join(programs) + "</programs></zem>\n")

    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    path = os.path.join(root, "resources", "FactoryBank.xml")
    if "--check" in sys.argv:
        with open(path, encoding="utf-8") as f:
            if f.read() != xml:
                print(f"{path} is out of date: run {__file__}")
                sys.exit(1)
        print(f"{path} matches its generator")
        return
    with open(path, "w", encoding="utf-8") as f:
        f.write(xml)
    print(f"wrote {path}: {len(programs)} programs, {len(xml)} characters")


if __name__ == "__main__":
    main()
