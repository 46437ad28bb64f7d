# orn_embed_icon(TARGET PNG SYMBOL): compiles PNG's pixels into TARGET as
#   extern const orn::IconImage SYMBOL;   (SYMBOL may be namespace-qualified)
function(orn_embed_icon target file symbol)
    get_filename_component(name ${file} NAME_WE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${name}.cc)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:icon_pixels>
                ${file} ${out} ${symbol}
        DEPENDS ${file} icon_pixels
        COMMENT "Embedding ${name}")
    target_sources(${target} PRIVATE ${out})
endfunction()
