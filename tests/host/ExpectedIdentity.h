#pragma once

// The identity the module must show to every host, shared by the factory and moduleinfo tests.
// These values are stored by hosts in projects and plug-in caches: they never change.

#include <array>
#include <cstdint>
#include <string>

namespace qel::host::expected
{
inline const std::string pluginName = "QEL VARNU";
inline const std::string vendor = "QEL Audio";
inline const std::string version = "0.1.0";
inline const std::string sdkVersion = "VST 3.7.12";
inline constexpr std::int32_t factoryFlags = 16; // Unicode only
inline constexpr std::int32_t manyInstances = 0x7FFFFFFF;

/** A four-character code with the first character in the most significant byte. */
constexpr std::uint32_t fourCC (const char (&code)[5])
{
    return (std::uint32_t (std::uint8_t (code[0])) << 24) | (std::uint32_t (std::uint8_t (code[1])) << 16)
         | (std::uint32_t (std::uint8_t (code[2])) << 8) | std::uint32_t (std::uint8_t (code[3]));
}

using Bytes = std::array<unsigned char, 16>;

/*  How an ID sits in memory. The SDK has two layouts (FUID::from4Int, INLINE_UID):

    - where COM_COMPATIBLE is set, which is Windows only, the first word is stored
      little-endian and the second as two little-endian halves, upper half first, so that the
      bytes form a Windows GUID: 0xABCDEF01 0x9182FAEB -> 01 EF CD AB 82 91 EB FA;
    - everywhere else, Linux included, each of the four words is stored most significant byte
      first: AB CD EF 01 91 82 FA EB.

    The last eight bytes are the characters "Qelv" "Qvn1" in reading order in both layouts.
    Hosts compare IDs byte by byte, and a module only ever meets hosts of its own platform,
    so each platform is self-consistent; the four words, and the 32-digit text that
    moduleinfo.json and VST3::UID::toString write, are the same everywhere. */
struct ClassEntry
{
    std::string category;
    std::string subCategories; // '|'-separated, as PClassInfo2 carries them
    std::array<std::uint32_t, 4> words;
    Bytes bytesNonCom;  // Linux and macOS
    Bytes bytesCom;     // Windows
    std::string hexText;
};

#define QEL_CODES 'Q', 'e', 'l', 'v', 'Q', 'v', 'n', '1'

/** The factory's classes, in factory order. */
inline const std::array<ClassEntry, 3> classes {{
    { "Audio Module Class", "Fx", { 0xABCDEF01, 0x9182FAEB, fourCC ("Qelv"), fourCC ("Qvn1") },
      { 0xAB, 0xCD, 0xEF, 0x01, 0x91, 0x82, 0xFA, 0xEB, QEL_CODES },
      { 0x01, 0xEF, 0xCD, 0xAB, 0x82, 0x91, 0xEB, 0xFA, QEL_CODES },
      "ABCDEF019182FAEB51656C7651766E31" },
    { "Component Controller Class", "Fx", { 0xABCDEF01, 0x1234ABCD, fourCC ("Qelv"), fourCC ("Qvn1") },
      { 0xAB, 0xCD, 0xEF, 0x01, 0x12, 0x34, 0xAB, 0xCD, QEL_CODES },
      { 0x01, 0xEF, 0xCD, 0xAB, 0x34, 0x12, 0xCD, 0xAB, QEL_CODES },
      "ABCDEF011234ABCD51656C7651766E31" },
    { "Plugin Compatibility Class", "", { 0xABCDEF01, 0xC0DEF00D, fourCC ("Qelv"), fourCC ("Qvn1") },
      { 0xAB, 0xCD, 0xEF, 0x01, 0xC0, 0xDE, 0xF0, 0x0D, QEL_CODES },
      { 0x01, 0xEF, 0xCD, 0xAB, 0xDE, 0xC0, 0x0D, 0xF0, QEL_CODES },
      "ABCDEF01C0DEF00D51656C7651766E31" },
}};

#undef QEL_CODES
} // namespace qel::host::expected
