#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Trelvanic needs.
# Does nothing when all are present; runs apt-get as root or through sudo.
set -euo pipefail

packages=(
  # toolchain
  cmake g++ make pkg-config ccache clang-format git
  # Qt 5
  qtbase5-dev qtmultimedia5-dev qttools5-dev-tools libqt5svg5-dev libqt5multimedia5-plugins qttranslations5-l10n
  qtwebengine5-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  # media stack
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libtag1-dev libflac-dev zlib1g-dev
  # fonts for stable offscreen rendering
  fonts-dejavu-core fonts-liberation
  # test tools: reference decoders and a null sound server
  ffmpeg sox flac mediainfo python3 python3-mutagen python3-mido pulseaudio pulseaudio-utils dbus
  sndfile-programs locales python3-pyftpdlib python3-vobject
  # system-call tracer: results flushed to the disk before they are named
  strace
  # a second real FTP server for the FTP client's checks
  vsftpd
  # timecode oracle: libltc encodes the test signals and decodes the reference (test helper only)
  libltc-dev
  # a virtual X display for screenshot tests
  xvfb xauth x11-utils xdotool
  # cipher oracles: AES and Blowfish (openssl), Rijndael with 256-bit blocks (libmcrypt)
  openssl libmcrypt-dev
  # image oracle: grayscale, negate and colour reduction; PNG validator for stored frames
  imagemagick pngcheck
  # XML oracle: well-formedness of written settings files
  libxml2-utils
  # script oracle: minimised JavaScript still runs the same
  nodejs
  # packaging oracles: desktop entry, AppStream metadata and the Debian package
  desktop-file-utils appstream lintian
  # system call oracle: the encoder tool flushes its result before and after renaming it
  strace
  # file systems users plug in, mounted through FUSE from images the tests make: NTFS and exFAT
  fuse3 ntfs-3g exfat-fuse exfatprogs
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
