#!/usr/bin/env bash
# Packs a Windows stage folder (the programs, their DLLs and data, flat as they run) into
#   OUT_DIR/Mensuro-VERSION-setup.exe        the installer, built by makensis
#   OUT_DIR/Mensuro-VERSION-windows-x64.zip  the same files under Mensuro-VERSION/, to run from
#                                            wherever they are unpacked
# Usage: scripts/package-windows.sh STAGE_DIR VERSION OUT_DIR
set -euo pipefail

die() {
  echo "package-windows: $*" >&2
  exit 1
}

[ $# -eq 3 ] || die "usage: $0 STAGE_DIR VERSION OUT_DIR"
[ -d "$1" ] || die "no stage folder $1"
stage="$(cd "$1" && pwd)"
version="$2"
mkdir -p "$3" || die "can't create the output folder $3"
out="$(cd "$3" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Windows' version resource takes four numbers; the project's version has up to four.
[[ "$version" =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || die "the version must be 1 to 4 numbers: $version"
file_version="$version"
while [[ "$file_version" =~ ^[0-9]+(\.[0-9]+){0,2}$ ]]; do file_version+=".0"; done

command -v makensis >/dev/null || die "makensis is not installed (Debian package nsis)"
command -v zip >/dev/null || die "zip is not installed"

# The installer's shortcuts and uninstall entry name these; a stage without them is unfinished.
for needed in mensuro.exe mensuro-cli.exe MensuroHelp.pdf; do
  [ -f "$stage/$needed" ] || die "the stage folder lacks $needed"
done
# The register reaches a PostgreSQL server through libpq, which takes its TLS from OpenSSL's
# two DLLs; Windows finds all three beside the programs.
for needed in libpq.dll 'libssl-*.dll' 'libcrypto-*.dll'; do
  compgen -G "$stage/$needed" >/dev/null || die "the stage folder lacks $needed"
done
[ ! -e "$stage/Uninstall.exe" ] || die "the stage folder holds an Uninstall.exe of its own"
odd="$(cd "$stage" && find . -mindepth 1 ! -type f ! -type d)"
[ -z "$odd" ] || die "the stage folder may hold only files and folders, not: $odd"
odd="$(cd "$stage" && find . -mindepth 1 -name '*[\\:*?"<>|$]*')"
[ -z "$odd" ] || die "names Windows (or NSIS) can't take: $odd"
[[ "$stage" != *[\$\"]* ]] || die "the stage folder's path has a \$ or a \" that NSIS would misread"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The installer copies and the uninstaller deletes exactly the stage's files, so an uninstall
# never sweeps away what else the user keeps in the chosen folder. The uninstall list is the
# install list backwards: files before their folder, which goes only when empty.
install_lines=()
uninstall_lines=()
mapfile -t folders < <(cd "$stage" && find . -type d | sed 's|^\./\?||' | LC_ALL=C sort)
for folder in "${folders[@]}"; do
  win="${folder//\//\\}"
  install_lines+=("SetOutPath \"\$INSTDIR${win:+\\$win}\"")
  [ -z "$folder" ] || uninstall_lines+=("RMDir \"\$INSTDIR\\$win\"")
  mapfile -t files < <(cd "$stage/$folder" && find . -maxdepth 1 -type f | sed 's|^\./||' |
    LC_ALL=C sort)
  for file in "${files[@]}"; do
    install_lines+=("File \"\${STAGE_DIR}/${folder:+$folder/}$file\"")
    uninstall_lines+=("Delete \"\$INSTDIR\\${win:+$win\\}$file\"")
  done
done
install_list="$scratch/install-files.nsh"
uninstall_list="$scratch/uninstall-files.nsh"
printf '%s\n' "${install_lines[@]}" >"$install_list"
for ((i = ${#uninstall_lines[@]} - 1; i >= 0; i--)); do
  echo "${uninstall_lines[i]}"
done >"$uninstall_list"

setup="$out/Mensuro-$version-setup.exe"
log="$scratch/makensis.log"
# -WX: a warning (a missing file, an unused define) fails the build rather than a user's install.
if ! makensis -V2 -WX -INPUTCHARSET UTF8 \
  -DSTAGE_DIR="$stage" -DVERSION="$version" -DFILE_VERSION="$file_version" \
  -DICON="$root/resources/icons/mensuro.ico" -DOUTFILE="$setup.part" \
  -DINSTALL_FILES="$install_list" -DUNINSTALL_FILES="$uninstall_list" \
  "$root/cmake/windows/installer.nsi" >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$setup.part"
  die "makensis failed (above)"
fi
mv -f "$setup.part" "$setup"
echo "package-windows: $setup"

# zip adds to an archive that exists, so it writes a new one; the link names the top folder
# without copying the stage (zip stores what a link points to).
zip_file="$out/Mensuro-$version-windows-x64.zip"
ln -s "$stage" "$scratch/Mensuro-$version"
rm -f "$zip_file.part"
(cd "$scratch" && zip -q -r -X "$zip_file.part" "Mensuro-$version") || {
  rm -f "$zip_file.part"
  die "zip failed"
}
mv -f "$zip_file.part" "$zip_file"
echo "package-windows: $zip_file"
