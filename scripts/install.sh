#!/usr/bin/env bash
# Installs every Debian package the client, the local service and the tests need.
# Safe to run again: apt skips what is already there.
set -euo pipefail
# libspdlog-dev: only the log benchmark links it, as the figure our log handler is measured
# against.
# clang and libclang-rt-dev: the libFuzzer build of the fuzz targets (scripts/fuzz.sh).
# libyuv-dev: turning video frames upright; its vector transposes beat our byte loop.
# dpkg-dev (dpkg-shlibdeps) and lintian: the Debian packages (scripts/package.sh).
# GStreamer (core, app and video libraries; base and good plugins): the media layer's VP8 and
# Opus encoders and decoders (sdk/media).
# ejabberd and libqxmpp-dev: IM over an XMPP server instead of the hub (TARNWICK_IM=xmpp);
# scripts/engines.sh runs ejabberd, the SDK's xmpp transport uses QXmpp.
# janus, iproute2 and nftables: media over a WebRTC SFU instead of the hub (TARNWICK_MEDIA=janus);
# scripts/netns.sh makes the private network namespace Janus's ICE needs (ip) and drops packets
# in it on purpose (nft); gstreamer1.0-nice, gstreamer1.0-plugins-bad and
# libgstreamer-plugins-bad1.0-dev carry the WebRTC side of the SDK (webrtcbin).

PACKAGES=(
  build-essential cmake pkg-config ccache
  qtbase5-dev qtbase5-dev-tools qtmultimedia5-dev libqt5multimedia5-plugins
  qtwebengine5-dev libqt5webchannel5-dev libqt5websockets5-dev libqt5x11extras5-dev
  libqt5svg5-dev qttools5-dev-tools
  libjsoncpp-dev libswscale-dev libavutil-dev libsodium-dev
  libyuv-dev
  libx11-dev libxcb1-dev
  libcpp-httplib-dev libssl-dev
  libpoppler-qt5-dev
  xvfb xauth x11-utils xdotool imagemagick pulseaudio pulseaudio-utils
  fonts-noto-cjk fonts-dejavu-core librsvg2-bin
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
  libspdlog-dev
  clang libclang-rt-dev
  dpkg-dev lintian
  ejabberd libqxmpp-dev
  janus iproute2 nftables
  gstreamer1.0-nice gstreamer1.0-plugins-bad libgstreamer-plugins-bad1.0-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
