# Writes INPUT's bytes as a C++ array named SYMBOL into OUTPUT.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT} "#include <cstddef>\n#include <cstdint>\nnamespace vokabino {\nextern const std::uint8_t ${SYMBOL}[] = {${bytes}};\nextern const std::size_t ${SYMBOL}_size = ${size};\n}\n")
