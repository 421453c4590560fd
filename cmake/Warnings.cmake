# One place for the warning policy: everything the project compiles itself is warning-clean.
add_library(quorveline_warnings INTERFACE)
target_compile_options(quorveline_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wfloat-conversion
  # g++ 12 reports a false dangling pointer inside JUCE's listener list at -O3.
  $<$<CXX_COMPILER_ID:GNU>:-Wno-dangling-pointer>)
