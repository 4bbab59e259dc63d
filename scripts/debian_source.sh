# Debian's packages installed where missing, and Debian's source packages fetched without
# touching the machine's own apt state. Sourced by the scripts that build libraries from
# source (web.sh, windows.sh); they set $out, the build folder that holds the private apt
# state ($out/apt) and the unpacked sources ($out/src/<package>).

# Installs those of the packages named that are missing (with sudo when not root).
installMissing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # The package lists are fresh when setup.sh has just installed something; else they may
  # be missing on a new machine.
  apt-cache show "${missing[0]}" >/dev/null 2>&1 || $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y \
    --no-install-recommends "${missing[@]}"
}

# apt-get or apt-cache (first argument) with a private state folder whose source list
# holds a deb-src line for every package index the machine's own apt configuration uses
# (security suites last, since their mirrors often carry only the newest files).
privateApt() {
  local tool=$1 state=$out/apt
  shift
  if [ ! -s "$state/sources.list" ]; then
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
    apt-get indextargets --format 'deb-src $(REPO_URI) $(RELEASE) $(COMPONENT)' \
      'Identifier: Packages' | sort -u | awk '/-security /{late = late $0 "\n"; next} {print}
      END {printf "%s", late}' > "$state/sources.list.new"
    mv "$state/sources.list.new" "$state/sources.list"
  fi
  "$tool" -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State="$state" -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

# Unpacks Debian's source of package into $out/src/<package>: the version installed on
# this machine as binary (second argument) if the archive has it, else the newest the
# archive offers. The version unpacked is in $out/src/<package>/.unpacked.
fetchSource() {
  local package=$1 binary=$2 dest=$out/src/$1
  [ -f "$dest/.unpacked" ] && return 0
  # A suite that cannot be reached is no reason to stop: another may have the source.
  ls "$out/apt/lists" 2>/dev/null | grep -q Sources ||
    privateApt apt-get -q update >/dev/null || true
  local installed versions v
  installed=$(dpkg-query -W -f='${source:Version}' "$binary" 2>/dev/null || true)
  versions=$(privateApt apt-cache showsrc "$package" 2>/dev/null |
    sed -n 's/^Version: //p' | sort -rV -u)
  rm -rf "$out/src/tmp-$package" && mkdir -p "$out/src/tmp-$package"
  for v in $installed $versions; do
    if (cd "$out/src/tmp-$package" && privateApt apt-get source "$package=$v" >fetch.log 2>&1); then
      rm -rf "$dest"
      mv "$(find "$out/src/tmp-$package" -mindepth 1 -maxdepth 1 -type d | head -n1)" "$dest"
      rm -rf "$out/src/tmp-$package"
      echo "$v" > "$dest/.unpacked"
      echo "Unpacked Debian source $package $v"
      return 0
    fi
  done
  echo "$(basename "$0"): could not fetch the Debian source of $package" >&2
  cat "$out/src/tmp-$package/fetch.log" >&2
  return 1
}
