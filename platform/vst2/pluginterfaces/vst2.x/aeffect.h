// Core of the VST 2.4 plug-in binary interface: the effect record a plug-in hands to its host,
// the callback signatures and the basic dispatcher opcodes. Written for this project from the
// interface's published binary layout (x86-64 Linux, LP64); only the names JUCE's VST2 client and
// VST host code refer to are declared.
//
// JUCE includes this file inside `namespace Vst2 { ... }`, so it must not include any system
// header itself and uses only built-in types.
#ifndef QUORVELINE_VST2_AEFFECT_H
#define QUORVELINE_VST2_AEFFECT_H

#if defined(_WIN32)
 #define VSTCALLBACK __cdecl
#else
 #define VSTCALLBACK
#endif

typedef int VstInt32;
typedef short VstInt16;
typedef long long VstInt64;
// Pointer-sized integer: the dispatcher's `value` argument and return value. `long long` matches
// JUCE's own pointer_sized_int on 64-bit Linux, so its callbacks assign without casts.
typedef long long VstIntPtr;

// The four characters 'VstP' read as a big-endian 32-bit number.
#define kEffectMagic 0x56737450

struct AEffect;

typedef VstIntPtr (VSTCALLBACK* audioMasterCallback) (AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                      VstIntPtr value, void* ptr, float opt);
typedef VstIntPtr (VSTCALLBACK* AEffectDispatcherProc) (AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                        VstIntPtr value, void* ptr, float opt);
typedef void (VSTCALLBACK* AEffectProcessProc) (AEffect* effect, float** inputs, float** outputs,
                                                VstInt32 sampleFrames);
typedef void (VSTCALLBACK* AEffectProcessDoubleProc) (AEffect* effect, double** inputs, double** outputs,
                                                      VstInt32 sampleFrames);
typedef void (VSTCALLBACK* AEffectSetParameterProc) (AEffect* effect, VstInt32 index, float parameter);
typedef float (VSTCALLBACK* AEffectGetParameterProc) (AEffect* effect, VstInt32 index);

// Natural alignment throughout; the offsets below are the ones every x86-64 host and plug-in agree on.
struct AEffect
{
    VstInt32 magic;                              // kEffectMagic
    AEffectDispatcherProc dispatcher;            // host -> plug-in opcodes
    AEffectProcessProc process;                  // accumulating process, long deprecated
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;                              // VstAEffectFlags
    VstIntPtr resvd1;                            // reserved for the host
    VstIntPtr resvd2;                            // reserved for the host
    VstInt32 initialDelay;                       // latency in samples
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object;                                // the plug-in's own instance pointer
    void* user;                                  // free for the host
    VstInt32 uniqueID;                           // four characters, big-endian
    VstInt32 version;                            // the plug-in's own version
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

#if defined(__x86_64__)
static_assert (sizeof (AEffect) == 192, "AEffect layout");
static_assert (__builtin_offsetof (AEffect, resvd1) == 64, "AEffect layout");
static_assert (__builtin_offsetof (AEffect, uniqueID) == 112, "AEffect layout");
static_assert (__builtin_offsetof (AEffect, processReplacing) == 120, "AEffect layout");
#endif

enum VstAEffectFlags
{
    effFlagsHasEditor          = 1 << 0,
    effFlagsHasClip            = 1 << 1,
    effFlagsHasVu              = 1 << 2,
    effFlagsCanMono            = 1 << 3,
    effFlagsCanReplacing       = 1 << 4,
    effFlagsProgramChunks      = 1 << 5,
    effFlagsIsSynth            = 1 << 8,
    effFlagsNoSoundInStop      = 1 << 9,
    effFlagsExtIsAsync         = 1 << 10,
    effFlagsExtHasBuffer       = 1 << 11,
    effFlagsCanDoubleReplacing = 1 << 12
};

// Host -> plug-in opcodes of the first interface generation, numbered from 0.
enum AEffectOpcodes
{
    effOpen = 0,
    effClose,            // 1
    effSetProgram,       // 2
    effGetProgram,       // 3
    effSetProgramName,   // 4
    effGetProgramName,   // 5
    effGetParamLabel,    // 6
    effGetParamDisplay,  // 7
    effGetParamName,     // 8
    effGetVu,            // 9
    effSetSampleRate,    // 10
    effSetBlockSize,     // 11
    effMainsChanged,     // 12
    effEditGetRect,      // 13
    effEditOpen,         // 14
    effEditClose,        // 15
    effEditDraw,         // 16
    effEditMouse,        // 17
    effEditKey,          // 18
    effEditIdle,         // 19
    effEditTop,          // 20
    effEditSleep,        // 21
    effIdentify,         // 22
    effGetChunk,         // 23
    effSetChunk,         // 24
    effNumOpcodes        // 25
};

// Plug-in -> host opcodes of the first interface generation.
enum AudioMasterOpcodes
{
    audioMasterAutomate = 0,
    audioMasterVersion,       // 1
    audioMasterCurrentId,     // 2
    audioMasterIdle,          // 3
    audioMasterPinConnected   // 4
};

enum
{
    kVstMaxProgNameLen   = 24,
    kVstMaxParamStrLen   = 8,
    kVstMaxVendorStrLen  = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32
};

#endif
