# Optional sanitizer builds (scripts/sanitize.sh): the project's own targets and the framework
# alike are compiled and linked with -fsanitize=<VARNU_SANITIZE>. Include it before the JUCE
# tree so that the framework's modules get the same flags. GCC and clang only.

set(VARNU_SANITIZE "" CACHE STRING
    "Sanitizers for the project's own targets and JUCE: '', 'address,undefined' or 'thread'")

if(VARNU_SANITIZE)
    add_compile_options(-fsanitize=${VARNU_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${VARNU_SANITIZE})
endif()

# clang links its sanitizer runtimes into executables only: a module takes them from the host
# process that loads it, so its link must allow those undefined symbols.
function(varnu_sanitized_module target)
    if(VARNU_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_link_options(${target} PRIVATE "-Wl,-z,undefs")
    endif()
endfunction()
