#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12 and fetches the
# JUCE 8.0.6 source tree into the dependency cache.
#
#   scripts/setup.sh              packages + JUCE
#   scripts/setup.sh --packages   packages only (for a build against a JUCE tree of your own)
#   scripts/setup.sh --juce       JUCE only
#
# Idempotent: packages already present are skipped, and an unpacked JUCE tree is reused.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
deps="${VARNU_DEPS_DIR:-$root/.deps}"
juce_version="8.0.6+ds-2"
juce_dir="$deps/juce-8.0.6"

log() { printf '[setup] %s\n' "$*"; }
die() { printf '[setup] error: %s\n' "$*" >&2; exit 1; }

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    die "run as root or install sudo: packages must be installed with apt-get"
fi

packages=(
    build-essential g++ cmake make pkg-config dpkg-dev ca-certificates
    debian-archive-keyring gnupg git
    libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev libxcomposite-dev
    libxrender-dev libfreetype-dev libfontconfig1-dev libasound2-dev
    zlib1g-dev libpng-dev libjpeg-dev libflac-dev libvorbis-dev libogg-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth fonts-dejavu-core
    clang-14 libclang-rt-14-dev
)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        log "all packages present"
        return
    fi
    log "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${SUDO[@]}" apt-get update -q || die "apt-get update failed: the Debian archive could not be reached"
    "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" \
        || die "apt-get install failed for: ${missing[*]}"
}

# Prints the URIs of the machine's configured Debian archive (not the security archive),
# read from one-line sources (sources.list, *.list) and deb822 sources (*.sources).
debian_uris() {
    {
        for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$f" ] || continue
            # deb [options] URI suite components...
            sed -e 's/#.*//' "$f" | awk '
                $1 == "deb" || $1 == "deb-src" {
                    i = 2
                    if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                    uri = $(i); suite = $(i + 1)
                    if (suite ~ /^(bookworm|trixie|stable|testing|sid|unstable)(-updates)?$/) print uri
                }'
        done
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            # Stanzas separated by blank lines; take URIs of stanzas whose suites name Debian releases.
            sed -e 's/#.*//' "$f" | awk '
                function flush() {
                    if (uris != "" && suites ~ /(^| )(bookworm|trixie|stable|testing|sid|unstable)( |$)/ && enabled != "no") print uris
                    uris = ""; suites = ""; enabled = ""
                }
                /^[[:space:]]*$/ { flush(); next }
                tolower($1) == "uris:"    { $1 = ""; uris = $0 }
                tolower($1) == "suites:"  { $1 = ""; suites = $0 " " }
                tolower($1) == "enabled:" { enabled = tolower($2) }
                END { flush() }' | tr ' ' '\n'
        done
    } | sed -e 's/^[[:space:]]*//' -e '/^$/d' | grep -v -i 'security' | awk '!seen[$0]++'
}

fetch_juce() {
    if [ -f "$juce_dir/CMakeLists.txt" ] && [ -f "$juce_dir/.varnu-unpacked" ]; then
        log "JUCE source present: $juce_dir"
        return
    fi
    command -v dpkg-source >/dev/null || die "dpkg-source is missing (package dpkg-dev)"
    local uris
    uris=$(debian_uris)
    [ -n "$uris" ] || die "no Debian archive found in /etc/apt/sources.list or /etc/apt/sources.list.d: cannot fetch the JUCE source package"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    [ -f "$keyring" ] || die "missing $keyring (package debian-archive-keyring)"

    local work="$deps/apt"
    rm -rf "$work"
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts" "$work/src" "$deps"
    : > "$work/status"
    : > "$work/sources.list"
    local u
    while read -r u; do
        printf 'deb-src [signed-by=%s] %s trixie main\n' "$keyring" "$u" >> "$work/sources.list"
    done <<< "$uris"
    log "JUCE source from: $(tr '\n' ' ' <<< "$uris")(trixie, deb-src)"

    # A private apt state: the machine's own lists and sources stay untouched.
    local opts=(
        -o "Dir::Etc::SourceList=$work/sources.list"
        -o "Dir::Etc::SourceParts=$work/parts"
        -o "Dir::State=$work"
        -o "Dir::State::Lists=$work/lists"
        -o "Dir::State::status=$work/status"
        -o "Dir::Cache=$work/cache"
        -o "APT::Sandbox::User=root"
        -o "Acquire::Languages=none"
    )
    apt-get "${opts[@]}" -q update >"$work/update.log" 2>&1 \
        || { cat "$work/update.log" >&2; die "could not read the trixie source index from the configured Debian archive"; }
    (cd "$work/src" && apt-get "${opts[@]}" -q --download-only source "juce=$juce_version") >"$work/source.log" 2>&1 \
        || { cat "$work/source.log" >&2; die "could not download the source package juce $juce_version (trixie)"; }
    local dsc
    dsc=$(ls "$work/src"/juce_*.dsc 2>/dev/null | head -n 1)
    [ -n "$dsc" ] || die "the download left no juce .dsc file"
    rm -rf "$juce_dir"
    dpkg-source --no-check -x "$dsc" "$juce_dir" >"$work/unpack.log" 2>&1 \
        || { cat "$work/unpack.log" >&2; die "dpkg-source could not unpack $dsc"; }
    touch "$juce_dir/.varnu-unpacked"
    rm -rf "$work"
    rm -f "$deps"/juce_*.orig.tar.*
    log "JUCE unpacked: $juce_dir"
}

case "${1:-}" in
    --juce) fetch_juce ;;
    --packages) install_packages ;;
    "") install_packages; fetch_juce ;;
    *) die "usage: $0 [--packages | --juce]" ;;
esac
