# zarn_embed(<out-var> <symbol> <size-symbol> <file>)
# Compiles <file> into the program as `const unsigned char <symbol>[]` with
# `const unsigned int <size-symbol>`, through the assembler's .incbin: a
# byte-array source of a 7 MB picture would take the compiler far longer.
function(zarn_embed out_var symbol size_symbol file)
    set(asm "${CMAKE_CURRENT_BINARY_DIR}/embed/${symbol}.S")
    file(WRITE "${asm}.in"
"    .section .rodata
    .global ${symbol}
    .type ${symbol}, @object
    .balign 16
${symbol}:
    .incbin \"${file}\"
${symbol}_end:
    .size ${symbol}, ${symbol}_end - ${symbol}
    .global ${size_symbol}
    .type ${size_symbol}, @object
    .balign 4
${size_symbol}:
    .4byte ${symbol}_end - ${symbol}
    .size ${size_symbol}, 4
    .section .note.GNU-stack,\"\",@progbits
")
    configure_file("${asm}.in" "${asm}" COPYONLY)
    set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${file}")
    set(${out_var} ${${out_var}} "${asm}" PARENT_SCOPE)
endfunction()
