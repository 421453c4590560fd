# Turns a text file into a C++ source holding it as a zero-terminated char array.
# Usage: cmake -DINPUT=file -DOUTPUT=file.cpp -DNAMESPACE=Name -DHEADER=include/path.h -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} at build time; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace ${NAMESPACE}\n{\n"
  "const char text[] = {\n${bytes}0x00 };\n"
  "const int size = ${size};\n"
  "}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
