#!/bin/sh
# Runs a command inside a D-Bus session of its own with a gnome-keyring-daemon unlocked for it,
# both from Debian's packages, and stops both afterwards. The keyring lives under $HOME, so a
# test gives each run the same HOME to find what an earlier run stored.
#   TF_KEYRING_PASSWORD  the keyring's own password (made up by the test)
# Exit status: the command's, or 125 when the keyring did not come up.
set -u
if [ "${TF_IN_KEYRING_SESSION:-}" != 1 ]; then
  mkdir -p "$HOME" "${XDG_RUNTIME_DIR:?XDG_RUNTIME_DIR must name a folder of the test}"
  chmod 700 "$XDG_RUNTIME_DIR"
  TF_IN_KEYRING_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi

printf '%s' "${TF_KEYRING_PASSWORD:?}" |
  gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
daemon=$!

# The Secret Service is there once the daemon owns its name on this session's bus.
owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
    grep -q 'boolean true'
}
tries=0
until owned; do
  tries=$((tries + 1))
  if [ $tries -gt 200 ] || ! kill -0 $daemon 2>/dev/null; then
    echo "with_keyring.sh: gnome-keyring-daemon did not come up" >&2
    kill $daemon 2>/dev/null
    exit 125
  fi
  sleep 0.05
done

"$@"
status=$?
kill $daemon 2>/dev/null
wait $daemon 2>/dev/null
exit $status
