#!/usr/bin/env bash
# Checks Vaddex as a user gets it: installed into a scratch prefix, run from elsewhere, its
# desktop files and manual pages validated, the bash completion tried, and (as root) the
# Debian package installed, run and removed again.
# Usage: scripts/check-install.sh [BUILD_DIR]   (default build/release, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=$(realpath "${1:-build/release}")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0
failed=0
check() {  # check NAME COMMAND...: runs the command, counts and reports the result
    local name=$1
    shift
    if "$@" >"$scratch/out" 2>&1; then
        passed=$((passed + 1))
        echo "ok   $name"
    else
        failed=$((failed + 1))
        echo "FAIL $name"
        sed 's/^/     /' "$scratch/out"
    fi
}

echo "== install into a scratch prefix"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
elsewhere=$scratch/elsewhere
mkdir "$elsewhere"
cd "$elsewhere"

lists_demo() { "$prefix/bin/vaddex-cli" -p sim ls | grep '^GREETING '; }
zqsim_help() { "$prefix/bin/zqsim" --help | grep -- '--model'; }
# The archive program comes from the prefix, wherever the prefix is moved.
backup_from() { "$1/bin/vaddex-cli" -p sim backup "$elsewhere/memory.zqbackup"; }
moved_prefix_finds_its_data() {
    mv "$prefix" "$scratch/moved"
    backup_from "$scratch/moved" || return 1
    mv "$scratch/moved/share/vaddex/ArchK8.zq" "$scratch/ArchK8.zq"
    ! backup_from "$scratch/moved" 2>"$scratch/err" || return 1
    grep -qF "looked in $scratch/moved/share/vaddex/" "$scratch/err" || return 1
    mkdir -p "$scratch/data" && mv "$scratch/ArchK8.zq" "$scratch/data/"
    VADDEX_DATA_DIR=$scratch/data backup_from "$scratch/moved" || return 1
    mv "$scratch/data/ArchK8.zq" "$scratch/moved/share/vaddex/" && mv "$scratch/moved" "$prefix"
}
check "installed vaddex-cli -p sim ls" lists_demo
check "installed zqsim --help" zqsim_help
check "installed programs find their data from any prefix" moved_prefix_finds_its_data
# A failure half-way must not leave the prefix moved for the checks below.
for f in "$scratch/ArchK8.zq" "$scratch/data/ArchK8.zq"; do
    [ ! -f "$f" ] || mv "$f" "$scratch/moved/share/vaddex/"
done
[ -d "$prefix" ] || mv "$scratch/moved" "$prefix"
no_rule_installed() { [ -z "$(find "$prefix" -name '*.rules')" ]; }
check "no udev rule installed (usb-rule writes one for the user's id)" no_rule_installed

echo "== desktop entry, metainfo, manual pages"
check "desktop-file-validate" desktop-file-validate "$prefix/share/applications/vaddex.desktop"
check "appstreamcli validate" appstreamcli validate --no-net \
    "$prefix/share/metainfo/org.vaddex.Vaddex.metainfo.xml"
for size in 16 22 24 32 48 64 128 256; do
    check "icon ${size}x${size}" bash -c "file '$prefix/share/icons/hicolor/${size}x${size}/apps/vaddex.png' |
        grep -q 'PNG image data, $size x $size'"
done
man_page_clean() {  # man exits 0 on warnings: they must not appear at all
    local warnings
    warnings=$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$warnings"; return 1; }
}
for page in vaddex vaddex-cli zqsim; do
    check "man $page" man_page_clean "$prefix/share/man/man1/$page.1.gz"
done

echo "== MIME types"
mime_package=$prefix/share/mime/packages/org.vaddex.Vaddex.mime.xml
# shared-mime-info ships its DTD only inside its own package file; update-mime-database
# passes over attributes it does not know, so a misspelt one is caught only here.
mime_package_valid() {
    sed -n '/^<!DOCTYPE mime-info \[/,/^\]>/{/^<!DOCTYPE/d;/^\]>/d;p}' \
        /usr/share/mime/packages/freedesktop.org.xml >"$scratch/mime.dtd"
    [ -s "$scratch/mime.dtd" ] && xmllint --noout --dtdvalid "$scratch/mime.dtd" "$mime_package"
}
check "the MIME package is valid against shared-mime-info's DTD" mime_package_valid
# The database built from a copy of the prefix's share/mime, beside the system's own types
# so that a clash with one of them shows; nothing outside the scratch folder is read.
mime_data=$scratch/mime-data
mime_env=(env -i "PATH=$PATH" "HOME=$scratch" "XDG_DATA_DIRS=$mime_data" "XDG_DATA_HOME=$scratch/none")
database_builds_quietly() {
    mkdir -p "$mime_data" && cp -r "$prefix/share/mime" "$mime_data/" &&
        cp /usr/share/mime/packages/freedesktop.org.xml "$mime_data/mime/packages/" || return 1
    local complaints
    complaints=$("${mime_env[@]}" update-mime-database "$mime_data/mime" 2>&1) || return 1
    [ -z "$complaints" ] || { echo "$complaints"; return 1; }
    local globs=$mime_data/mime/globs2
    if ! grep -qx '80:application/x-vaddex-object:\*\.zq' "$globs" ||
        ! grep -qx '80:application/x-vaddex-backup:\*\.zqbackup' "$globs"; then
        echo "globs2 has:"
        grep vaddex "$globs"
        return 1
    fi
}
check "update-mime-database takes the MIME package quietly, both globs weighing 80" database_builds_quietly
expect_type() {  # expect_type TYPE FILE: what a file manager is told the file is
    local got
    got=$("${mime_env[@]}" xdg-mime query filetype "$2") || return 1
    [ "$got" = "$1" ] || { echo "$(basename "$2"): got '$got', want '$1'"; return 1; }
}
# Only the name decides: note.zq and OLD.ZQBACKUP hold a text and a PDF's start, no object.
mkdir "$scratch/typed"
cp "$prefix/share/vaddex/ArchK8.zq" "$scratch/typed/ArchK8.zq"
echo "not a calculator object" >"$scratch/typed/note.zq"
if backup_from "$prefix" >/dev/null 2>&1; then cp "$elsewhere/memory.zqbackup" "$scratch/typed/"; fi
printf '%%PDF-1.4\n' >"$scratch/typed/OLD.ZQBACKUP"
check "a .zq object is application/x-vaddex-object" \
    expect_type application/x-vaddex-object "$scratch/typed/ArchK8.zq"
check "a .zq holding text is application/x-vaddex-object" \
    expect_type application/x-vaddex-object "$scratch/typed/note.zq"
check "a .zqbackup archive is application/x-vaddex-backup" \
    expect_type application/x-vaddex-backup "$scratch/typed/memory.zqbackup"
check ".ZQBACKUP holding something else is application/x-vaddex-backup" \
    expect_type application/x-vaddex-backup "$scratch/typed/OLD.ZQBACKUP"

echo "== licence"
licence_line='License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.'
for program in vaddex vaddex-cli zqsim; do
    check "$program --version states the licence" \
        bash -c "'$prefix/bin/$program' --version | grep -qxF '$licence_line'"
done
check "metainfo names the project's licence" grep -qF '<project_license>GPL-3.0-or-later</project_license>' \
    "$prefix/share/metainfo/org.vaddex.Vaddex.metainfo.xml"
copyright_states_licence() {
    local file=$prefix/share/doc/vaddex/copyright
    grep -qx 'License: GPL-3.0-or-later' "$file" &&
        grep -qF 'SPDX-License-Identifier: GPL-3.0-or-later' "$file" &&
        grep -qF '/usr/share/common-licenses/GPL-3' "$file"
}
check "the copyright file states the licence" copyright_states_licence
if [ -f /usr/share/common-licenses/GPL-3 ]; then
    check "COPYING holds the GPL version 3" cmp "$source_dir/COPYING" /usr/share/common-licenses/GPL-3
fi

echo "== bash completion"
complete_words() {  # complete_words WORD...: what the completion offers for the last word
    bash --norc --noprofile -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _vaddex_cli "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$prefix/share/bash-completion/completions/vaddex-cli" "$prefix/bin/vaddex-cli" "$@"
}
expect_completion() {  # expect_completion "EXPECTED WORDS" WORD...
    local expected=$1 got
    shift
    got=$(complete_words "$@" | sort | tr '\n' ' ')
    [ "$got" = "$expected " ] || { echo "got '$got', want '$expected '"; return 1; }
}
check "vaddex-cli g -> get" expect_completion "get" g
check "options after the command" expect_completion "--verbose --version" ls --ver
check "-p sim: models" expect_completion "K7 K7GII" -p sim:K7
offers_auto_and_sim() { complete_words -p '' | grep -x auto && complete_words -p s | grep -x sim; }
check "-p offers auto and sim" offers_auto_and_sim

echo "== Debian package"
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null 2>&1)
deb=$(echo "$scratch"/package/vaddex_*.deb)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"
check "lintian reports no error" lintian --fail-on error "$deb"
package_holds_everything() {
    dpkg-deb -c "$deb" | awk '{print $6}' >"$scratch/content"
    local path
    for path in usr/bin/vaddex usr/bin/vaddex-cli usr/bin/zqsim usr/share/vaddex/ArchK8.zq \
        usr/share/vaddex/help/index.html usr/share/applications/vaddex.desktop \
        usr/share/icons/hicolor/scalable/apps/vaddex.svg usr/share/man/man1/vaddex-cli.1.gz \
        usr/share/metainfo/org.vaddex.Vaddex.metainfo.xml \
        usr/share/mime/packages/org.vaddex.Vaddex.mime.xml \
        usr/share/bash-completion/completions/vaddex-cli usr/share/doc/vaddex/copyright; do
        grep -qx "./$path" "$scratch/content" || { echo "missing: $path"; return 1; }
    done
}
check "the package holds programs, data, desktop files, manual pages" package_holds_everything
maintainer_is_the_packagers() {
    local expected
    expected=$(sed -n 's/^VADDEX_PACKAGE_MAINTAINER:STRING=//p' "$build/CMakeCache.txt")
    [ -n "$expected" ] && [ "$(dpkg-deb -f "$deb" Maintainer)" = "$expected" ]
}
check "the package's maintainer is VADDEX_PACKAGE_MAINTAINER" maintainer_is_the_packagers
check "dependencies come from the libraries used" bash -c "dpkg-deb -f '$deb' Depends | grep libserialport0"
if [ "$(id -u)" -ne 0 ]; then
    echo "skip dpkg -i / dpkg -r: not root"
elif dpkg-query -W -f='${Status}' vaddex 2>/dev/null | grep -q 'install ok installed'; then
    echo "skip dpkg -i / dpkg -r: a vaddex package is installed already"
else
    package_round_trip() {
        dpkg -i "$deb" || return 1
        dpkg -L vaddex | sort >"$scratch/files"
        /usr/bin/vaddex-cli --version | grep '^vaddex-cli ' || return 1
        (cd / && /usr/bin/vaddex-cli -p sim ls | grep '^GREETING ') || return 1
        # Images that exclude manual pages from dpkg leave them out; elsewhere man finds it.
        if [ -e /usr/share/man/man1/vaddex-cli.1.gz ]; then
            man -w vaddex-cli | grep '^/usr/share/man/man1/vaddex-cli.1.gz$' || return 1
        fi
        # shared-mime-info's trigger, not a script of ours, brings the types in and out.
        local globs=/usr/share/mime/globs2
        if [ -f "$globs" ]; then
            grep -q ':application/x-vaddex-object:' "$globs" || { echo "no type in $globs"; return 1; }
        fi
        dpkg -r vaddex || return 1
        if [ -f "$globs" ] && grep -q ':application/x-vaddex-' "$globs"; then
            echo "types left in $globs"
            return 1
        fi
        # Nothing the package brought stays behind but the shared folders.
        local left=0 path
        while read -r path; do
            if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
        done <"$scratch/files"
        return $left
    }
    check "dpkg -i, run, dpkg -r" package_round_trip
fi

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
