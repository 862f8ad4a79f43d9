# The names a header of include/ declares for export: every declaration marked VOK_API gives
# the identifier just before its parameter list (or its ';' for data). Used to write each
# library's symbol map and, by the export check, to compare a built library with its header.

# vok_declared_exports(OUT HEADER...): the sorted names declared in the headers.
function(vok_declared_exports out)
    set(names "")
    foreach(header ${ARGN})
        file(READ ${header} text)
        # Comments may mention VOK_API or hold parentheses; they declare nothing.
        string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" " " text "${text}")
        string(REGEX REPLACE "//[^\n]*" " " text "${text}")
        # The macro's own definition is not a declaration.
        string(REGEX REPLACE "#[ \t]*define[ \t]+VOK_API[^\n]*" " " text "${text}")
        string(REGEX MATCHALL "VOK_API[^(;]*" declarations "${text}")
        foreach(declaration ${declarations})
            string(REGEX MATCH "[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]*$" name "${declaration}")
            string(STRIP "${name}" name)
            if(name STREQUAL "" OR name STREQUAL "VOK_API")
                message(FATAL_ERROR "${header}: cannot read the name of '${declaration}'")
            endif()
            list(APPEND names ${name})
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES names)
    list(SORT names)
    set(${out} ${names} PARENT_SCOPE)
endfunction()

# vok_write_symbol_map(FILE HEADER...): a linker script that exports the declared names, plain
# and unversioned (an anonymous node), and keeps every other name inside the library.
function(vok_write_symbol_map file)
    vok_declared_exports(names ${ARGN})
    if(NOT names)
        message(FATAL_ERROR "no VOK_API declaration in ${ARGN}")
    endif()
    set(text "/* Written from ${ARGN}; do not edit. */\n{\n  global:\n")
    foreach(name ${names})
        string(APPEND text "    ${name};\n")
    endforeach()
    string(APPEND text "  local:\n    *;\n};\n")
    file(CONFIGURE OUTPUT ${file} CONTENT "${text}" @ONLY)
endfunction()
