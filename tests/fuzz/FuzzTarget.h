#pragma once

#include <cstddef>
#include <cstdint>

/** The state fuzz target, in libFuzzer's form: runs one input, returns 0. */
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size);
