# JUCE from Debian, compiled once into a static library for the tests and the host tool. The plug-in
# compiles its own copy with its plug-in settings (juce_add_plugin), and the project's processor code
# is compiled against the same headers and definitions so either copy can link it.
find_package(JUCE 7.0.5 CONFIG REQUIRED)

set(QUORVELINE_VST2_INTERFACE_DIR ${PROJECT_SOURCE_DIR}/platform/vst2)
juce_set_vst2_sdk_path(${QUORVELINE_VST2_INTERFACE_DIR})

# Settings every JUCE translation unit of the project shares; layouts of JUCE classes depend on some
# of them, so the plug-in and the static library must agree.
set(QUORVELINE_JUCE_DEFINITIONS
  JUCE_WEB_BROWSER=0
  JUCE_USE_CURL=0
  JUCE_DISPLAY_SPLASH_SCREEN=0
  JUCE_USE_FLAC=0
  JUCE_USE_OGGVORBIS=0
  JUCE_USE_MP3AUDIOFORMAT=0
  JUCE_USE_LAME_AUDIO_FORMAT=0
  JUCE_USE_WINDOWS_MEDIA_FORMAT=0
  JUCE_MODAL_LOOPS_PERMITTED=1
  JUCE_PLUGINHOST_VST3=0
  JUCE_PLUGINHOST_LADSPA=0
  JUCE_PLUGINHOST_LV2=0)

add_library(quorveline_juce STATIC)
target_link_libraries(quorveline_juce
  PRIVATE
    juce::juce_audio_processors
    juce::juce_audio_formats
    juce::juce_gui_extra
  PUBLIC
    juce::juce_recommended_config_flags
    # Debian builds JUCE against the system PNG and JPEG libraries.
    juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
target_compile_definitions(quorveline_juce
  PUBLIC
    ${QUORVELINE_JUCE_DEFINITIONS}
    # The host tool loads other plug-ins through JUCE's VST2 host, which reads our interface headers.
    JUCE_PLUGINHOST_VST=1
    JUCE_STANDALONE_APPLICATION=1
  INTERFACE
    $<TARGET_PROPERTY:quorveline_juce,COMPILE_DEFINITIONS>)
target_include_directories(quorveline_juce
  PUBLIC ${QUORVELINE_VST2_INTERFACE_DIR}
  INTERFACE $<TARGET_PROPERTY:quorveline_juce,INCLUDE_DIRECTORIES>)
set_target_properties(quorveline_juce PROPERTIES POSITION_INDEPENDENT_CODE ON)
# JUCE's own sources are not held to the project's warning policy.
target_compile_options(quorveline_juce PRIVATE -w)

# Headers and definitions of JUCE without its objects, for code that both the plug-in (own JUCE copy)
# and the tests (quorveline_juce) link.
add_library(quorveline_juce_headers INTERFACE)
target_include_directories(quorveline_juce_headers INTERFACE
  $<TARGET_PROPERTY:quorveline_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions(quorveline_juce_headers INTERFACE
  $<TARGET_PROPERTY:quorveline_juce,COMPILE_DEFINITIONS>)
