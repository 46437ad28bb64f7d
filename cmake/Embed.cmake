# orn_embed(TARGET FILE SYMBOL): compiles FILE's bytes into TARGET as
#   extern const std::string_view SYMBOL;   (SYMBOL may be namespace-qualified)
function(orn_embed target file symbol)
    get_filename_component(name ${file} NAME_WE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${name}.cc)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
        DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
        COMMENT "Embedding ${name}")
    target_sources(${target} PRIVATE ${out})
endfunction()
