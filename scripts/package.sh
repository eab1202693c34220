#!/usr/bin/env bash
# The package command: installs what is needed (Debian 12, as root), builds the two programs for
# Windows and makes, in build/windows/package:
#   Rondel-VERSION-win64.zip   the programs, README.txt, LICENSE.txt, CHANGELOG.txt and the
#                              policy templates (PolicyDefinitions) in one folder of that name
#   Rondel-VERSION-win64.msi   the same, installed per machine under Program Files\Rondel
#   SHA256SUMS                 both files' SHA-256 (sha256sum -c SHA256SUMS)
#
# With a certificate and its key, both programs (before they go into the ZIP and the MSI) and
# the MSI are signed with Authenticode (osslsigncode); without them everything is made unsigned
# and the last line says so.
#
#   --cert FILE --key FILE   the code-signing certificate (PEM or DER, the chain after it) and
#                            its private key (PEM or DER)
#   --pkcs12 FILE            or both in one PKCS#12 file (.pfx)
#   --pass-file FILE         the key's password, when it has one (first line of FILE)
#   --timestamp URL          a time-stamping server, so that the signatures outlive the
#                            certificate (needs the network)
#   --out DIR                where the files go (default: BUILD/package)
#   --build DIR              the build directory (default: build/windows)
#   --no-build               package what DIR holds as it is (the package test does)
#   --version V              the version the files are named and the MSI installed as, four
#                            numbers (default: the project's); the programs stay as built. The
#                            upgrade test makes an older installer of the same programs this way.
# RONDEL_SIGN_CERT, RONDEL_SIGN_KEY, RONDEL_SIGN_PKCS12 and RONDEL_SIGN_PASS_FILE stand for the
# options of the same meaning (for a CI whose secrets come as files).
set -euo pipefail
cd "$(dirname "$0")/.."

cert=${RONDEL_SIGN_CERT:-}
key=${RONDEL_SIGN_KEY:-}
pkcs12=${RONDEL_SIGN_PKCS12:-}
pass_file=${RONDEL_SIGN_PASS_FILE:-}
timestamp=""
out=""
build=build/windows
do_build=1
version=""

fail() { printf 'package.sh: %s\n' "$*" >&2; exit 1; }
usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }

while (($#)); do
    case "$1" in
        --cert) cert=${2:?}; shift 2 ;;
        --key) key=${2:?}; shift 2 ;;
        --pkcs12) pkcs12=${2:?}; shift 2 ;;
        --pass-file) pass_file=${2:?}; shift 2 ;;
        --timestamp) timestamp=${2:?}; shift 2 ;;
        --out) out=${2:?}; shift 2 ;;
        --build) build=${2:?}; shift 2 ;;
        --no-build) do_build=0; shift ;;
        --version) version=${2:?}; shift 2 ;;
        -h | --help) usage ;;
        *) printf 'package.sh: unknown option %s\n' "$1" >&2; usage ;;
    esac
done

# A certificate without its key (or the other way round) is a mistake, never "unsigned".
signing=0
if [[ -n "$pkcs12" ]]; then
    [[ -z "$cert$key" ]] || fail "--pkcs12 or --cert and --key, not both"
    [[ -r "$pkcs12" ]] || fail "cannot read $pkcs12"
    signing=1
elif [[ -n "$cert$key" ]]; then
    [[ -n "$cert" && -n "$key" ]] || fail "--cert and --key go together"
    [[ -r "$cert" ]] || fail "cannot read $cert"
    [[ -r "$key" ]] || fail "cannot read $key"
    signing=1
fi
[[ -z "$pass_file" || -r "$pass_file" ]] || fail "cannot read $pass_file"

if ((do_build)); then
    echo "== installing what is missing"
    scripts/install-deps.sh
    echo "== building the programs ($build)"
    if [[ "$build" == build/windows ]]; then
        cmake --preset windows >/dev/null
    else
        cmake --preset windows -B "$build" >/dev/null
    fi
    cmake --build "$build" --target Rondel RondelList
fi
[[ -f "$build/CMakeCache.txt" ]] || fail "$build is no build directory (run without --no-build)"
for tool in wixl osslsigncode sha256sum; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n "$project_version" ]] || fail "no project version in $build/CMakeCache.txt"
version=${version:-$project_version}
[[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] || fail "the version needs four numbers: $version"
# Windows Installer compares three numbers: an upgrade takes every version below the next third.
upgrade_below="${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.$((BASH_REMATCH[3] + 1))"

# The release notes' first entry is the version packaged.
first_entry=$(grep -m1 '^## ' CHANGELOG.md || true)
[[ "$first_entry" == "## $project_version"* ]] || fail "CHANGELOG.md's first entry (\"$first_entry\") is not $project_version's"

out=${out:-$build/package}
mkdir -p "$out"
out=$(cd "$out" && pwd)
name=Rondel-$version-win64
stage=$out/.stage
folder=$stage/$name
rm -rf "$stage" "$out/$name.zip" "$out/$name.msi" "$out/SHA256SUMS"
mkdir -p "$stage"
trap 'rm -rf "$stage"' EXIT

echo "== collecting the files ($name)"
cmake --install "$build" --prefix "$folder" >/dev/null

sign() {
    local file=$1 description=$2 signed="$1.signed"
    local args=(sign -h sha256 -n "$description" -i "https://www.example.com/rondel/")
    if [[ -n "$pkcs12" ]]; then args+=(-pkcs12 "$pkcs12"); else args+=(-certs "$cert" -key "$key"); fi
    [[ -n "$pass_file" ]] && args+=(-readpass "$pass_file")
    [[ -n "$timestamp" ]] && args+=(-ts "$timestamp")
    rm -f "$signed"
    osslsigncode "${args[@]}" -in "$file" -out "$signed" >"$stage/sign.log" 2>&1 ||
        { cat "$stage/sign.log" >&2; fail "signing $(basename "$file") failed"; }
    mv "$signed" "$file"
}

if ((signing)); then
    echo "== signing the programs"
    sign "$folder/Rondel.exe" "Rondel"
    sign "$folder/RondelList.exe" "RondelList"
fi

echo "== $name.zip"
(cd "$stage" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")

echo "== $name.msi"
# wixl takes its sources' paths relative to where it runs, and no absolute one.
wxs=$(pwd)/packaging/Rondel.wxs
(cd "$stage" && wixl --arch x64 -D Version="$version" -D UpgradeBelow="$upgrade_below" -D StageDir="$name" \
    -o "$out/$name.msi" "$wxs") 2>"$stage/wixl.log" ||
    { cat "$stage/wixl.log" >&2; fail "wixl failed"; }
((signing)) && sign "$out/$name.msi" "Rondel $version"

(cd "$out" && sha256sum "$name.zip" "$name.msi" >SHA256SUMS)

echo "$out/$name.zip"
echo "$out/$name.msi"
echo "$out/SHA256SUMS"
if ((signing)); then
    echo "signed: Rondel.exe, RondelList.exe and the MSI"
else
    echo "unsigned: no certificate given (--cert FILE --key FILE, or --pkcs12 FILE)"
fi
