# Turns the catalogue text files into one C++ source: each file's bytes as an array,
# parsed by the library at first use. Run as: cmake -DDIR=... -DOUT=... -P embed_texts.cmake
# Bytes instead of string literals, so no text content can break the generated source.

foreach(lang en de fr)
    file(READ "${DIR}/${lang}.txt" hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Break the array into lines of 32 bytes to keep the file readable for compilers and people.
    string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
    string(APPEND body "static const unsigned char k_${lang}[] = {\n${bytes}0x00};\n\n")
    set(size_${lang} ${size})
endforeach()

set(content "// Generated from en.txt, de.txt and fr.txt by embed_texts.cmake; do not edit.\n")
string(APPEND content "#include \"msg_texts.h\"\n\nnamespace vokmsg {\n\n${body}")
string(APPEND content "const RawTexts kRawTexts[3] = {\n")
string(APPEND content "    {reinterpret_cast<const char*>(k_en), ${size_en}},\n")
string(APPEND content "    {reinterpret_cast<const char*>(k_de), ${size_de}},\n")
string(APPEND content "    {reinterpret_cast<const char*>(k_fr), ${size_fr}},\n};\n\n}\n")

# Write only on change, so that an unchanged catalogue does not rebuild the library.
set(old "")
if(EXISTS "${OUT}")
    file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL content)
    file(WRITE "${OUT}" "${content}")
endif()
