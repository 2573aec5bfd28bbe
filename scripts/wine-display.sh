# Sourced by the scripts that run Windows programs under Wine: a virtual
# display of their own, and a prefix's server started so that it holds no
# harness's pipe.

# Starts Xvfb on the first free display number from $1 to $2 with a screen of
# $3 (WIDTHxHEIGHT), and waits until it takes clients. Sets DISPLAY and
# ondrel_xvfb_pid. Each kind of run takes numbers of its own, so that runs
# beside each other do not race for one.
ondrel_start_display() {
  local first=$1 last=$2 screen=$3 n
  for n in $(seq "$first" "$last"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then break; fi
  done
  Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
  ondrel_xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
}

# Starts the server of WINEPREFIX and Wine's system services with their
# output going nowhere: a server that inherits a harness's pipe makes the
# harness wait for the server's end (about 3 s a test, or for ever).
ondrel_start_wineserver() {
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}
