#!/usr/bin/env bash
# Starts or stops a test session for running Windows programs under Wine:
#   - a network namespace that has only the loopback interface, whose own hosts file maps the
#     program's outside host names to 127.0.0.1 (nothing can reach any other address);
#   - an Xvfb display inside it;
#   - a fresh Wine prefix (empty registry) with Verdana and Arial substituted, and a wineserver
#     kept alive for the whole session.
# Usage: wine-session.sh start|stop   (QUODO_SESSION names the session; default "quodo")
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
session=${QUODO_SESSION:-quodo}
state="$root/.sessions/$session"
netns="q-$session"

hostnames() {
  sed -n 's/.*constexpr const char\* k[A-Za-z]* = "\([^"]*\)".*/\1/p' "$root/src/quotes/Hosts.h"
}

# Whether the session's holding cmd.exe runs (not just the loader that starts it).
holder_running() {
  local pid
  for pid in $(ip netns pids "$netns" 2>/dev/null); do
    case "$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null)" in
      *'\system32\cmd.exe'*) return 0 ;;
    esac
  done
  return 1
}

stop() {
  if [ -f "$state/env" ]; then
    "$root/scripts/in-wine" wineserver -k >/dev/null 2>&1 || true
    [ -f "$state/holder.pid" ] && kill -- "-$(cat "$state/holder.pid")" 2>/dev/null || true
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  fi
  ip netns pids "$netns" 2>/dev/null | xargs -r kill 2>/dev/null || true
  ip netns delete "$netns" 2>/dev/null || true
  rm -rf "/etc/netns/$netns" "$state"
}

# The session's Wine prefix: a copy of a template that the first session makes (under a lock, so
# that sessions starting at once make it once) and later ones copy, which takes a second where
# making one takes twenty. The template's name holds Wine's version and this script's checksum, so
# a newer Wine or a change to the settings below makes a new one.
make_prefix() {
  local template
  template="$root/.sessions/.prefix-$( (wine --version; cat "$root/scripts/wine-session.sh") | md5sum | cut -c1-12)"
  exec 8>"$root/.sessions/.prefix.lock"
  flock 8
  if [ -d "$template" ]; then
    cp -a "$template" "$state/prefix"
  else
    WINEDLLOVERRIDES="mscoree,mshtml=" "$root/scripts/in-wine" wineboot -i >/dev/null 2>&1
    "$root/scripts/in-wine" wineserver -w
    local subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    "$root/scripts/in-wine" wine reg add "$subst" /v Verdana /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1
    "$root/scripts/in-wine" wine reg add "$subst" /v Arial /t REG_SZ /d "Liberation Sans" /f >/dev/null 2>&1
    # Without a window manager Wine waits for one at every hide; an unmanaged display does not.
    "$root/scripts/in-wine" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    "$root/scripts/in-wine" wineserver -w
    rm -rf "$template.new" "$root"/.sessions/.prefix-*
    cp -a "$state/prefix" "$template.new"
    mv "$template.new" "$template"
  fi
  flock -u 8
  exec 8>&-
}

start() {
  stop
  mkdir -p "$state"
  ip netns add "$netns"
  ip netns exec "$netns" ip link set lo up
  mkdir -p "/etc/netns/$netns"
  {
    echo "127.0.0.1 localhost"
    echo "::1 localhost"
    for h in $(hostnames); do echo "127.0.0.1 $h"; done
  } > "/etc/netns/$netns/hosts"

  # A display number nobody uses yet. Sessions starting at once (the test lanes do) take turns
  # here, so that two of them never pick the same number: each Xvfb runs in a network namespace of
  # its own, where it cannot see that another one already listens on that number.
  exec 9>/tmp/.quodo-display.lock
  flock 9
  local d=77
  while [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
  cat > "$state/env" <<ENV
QUODO_NETNS=$netns
DISPLAY=:$d
WINEPREFIX=$state/prefix
WINEDEBUG=-all
WINEARCH=win64
ENV
  ip netns exec "$netns" sh -c "echo \$\$ > '$state/xvfb.pid'; exec Xvfb :$d -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1" 9>&- &
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$d" ] && break; sleep 0.1; done
  flock -u 9
  exec 9>&-

  make_prefix
  # Keep the wineserver alive between programs: a start then takes milliseconds, not seconds.
  # It returns once the server is ready and runs on in the background.
  "$root/scripts/in-wine" wineserver -p </dev/null >/dev/null 2>&1
  # Keep one program running for the whole session, so that Wine's desktop and its system services
  # stay up. Otherwise the next program restarts them, and they inherit its output: a test runner
  # reading that output through a pipe would wait for them forever.
  setsid bash -c 'sleep infinity | exec "$0" wine cmd.exe' "$root/scripts/in-wine" \
    </dev/null >/dev/null 2>&1 &
  echo $! > "$state/holder.pid"
  # Wait until that program runs (and so the services run under it): a test started earlier would
  # start the services itself, and they would hold its output open.
  local up=""
  for _ in $(seq 3000); do
    if holder_running; then up=yes; break; fi
    sleep 0.1
  done
  if [ -z "$up" ]; then
    echo "wine-session: the session's Wine services did not start within 5 minutes" >&2
    exit 1
  fi
  echo "session $session: display :$d, prefix $state/prefix"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
