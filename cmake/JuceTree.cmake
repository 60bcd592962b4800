# Chooses the JUCE source tree, adds it to the build, and finds the system libraries a tree
# needs when it leaves out the copies that the framework normally bundles.
#
# The default tree is Debian's patched JUCE 8.0.6, fetched by scripts/setup.sh. Debian removes
# the bundled zlib, libpng, libjpeg, libFLAC, libvorbis and libogg and links the system's
# instead: zlib through juce_core, libpng and libjpeg through its own target
# juce::pkgconfig_JUCE_IMG_LINUX_DEPS (linked into the framework's own targets only), and the
# audio codecs not at all. Any upstream JUCE 8 tree (-DVARNU_JUCE_DIR=<tree>) compiles all of
# them from its own sources and needs nothing from here. What a tree needs is read from the
# tree itself, never from the operating system.

set(VARNU_JUCE_DIR "${CMAKE_CURRENT_SOURCE_DIR}/.deps/juce-8.0.6" CACHE PATH
    "JUCE 8 source tree (default: the one scripts/setup.sh fetches)")
if(NOT EXISTS "${VARNU_JUCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "JUCE not found at ${VARNU_JUCE_DIR}: run scripts/setup.sh first, "
                        "or pass -DVARNU_JUCE_DIR=<path to a JUCE 8 source tree>")
endif()

add_subdirectory("${VARNU_JUCE_DIR}" juce EXCLUDE_FROM_ALL)

# The tree compiles libFLAC, libvorbis and libogg itself when it carries their sources.
if(EXISTS "${VARNU_JUCE_DIR}/modules/juce_audio_formats/codecs/flac"
   AND EXISTS "${VARNU_JUCE_DIR}/modules/juce_audio_formats/codecs/oggvorbis")
    set(VARNU_JUCE_BUNDLES_CODECS ON)
else()
    set(VARNU_JUCE_BUNDLES_CODECS OFF)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(VARNU_CODECS REQUIRED IMPORTED_TARGET flac vorbis vorbisenc vorbisfile ogg)
endif()
message(STATUS "JUCE tree: ${VARNU_JUCE_DIR} (bundled audio codecs: ${VARNU_JUCE_BUNDLES_CODECS})")

#[[ Links the system libraries that the tree leaves out into a target that compiles the
    framework's modules itself:

      varnu_link_framework_libraries(<target> [AUDIO_FORMATS])

    the image libraries always, the audio codecs with AUDIO_FORMATS (for targets that
    compile juce_audio_formats). With an upstream tree this links nothing. ]]
function(varnu_link_framework_libraries target)
    cmake_parse_arguments(PARSE_ARGV 1 VARNU_LINK "AUDIO_FORMATS" "" "")
    if(TARGET juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
        target_link_libraries(${target} PRIVATE juce::pkgconfig_JUCE_IMG_LINUX_DEPS)
    endif()
    if(VARNU_LINK_AUDIO_FORMATS AND NOT VARNU_JUCE_BUNDLES_CODECS)
        target_link_libraries(${target} PRIVATE PkgConfig::VARNU_CODECS)
    endif()
endfunction()
