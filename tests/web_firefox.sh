# Sourced by the Firefox scripts.
#
# firefox_profile DIR writes a fresh profile into DIR that sends the page's
# console to standard output and keeps Firefox's first-run pages, checks and
# reports out of the way.
#
# firefox_kiosk WORK URL UNTIL SECONDS [SHOT.png] opens URL in a 1024x768
# kiosk window on an Xvfb screen of its own, with the profile WORK/profile,
# until its console (WORK/console.txt) shows UNTIL, at most SECONDS; then,
# when SHOT is given, screenshots the screen. Status 0 when UNTIL showed.
firefox_profile() {
  mkdir -p "$1"
  cat >"$1/user.js" <<'PREFS'
user_pref("devtools.console.stdout.content", true);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("app.update.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
PREFS
}

firefox_kiosk() {
  WORK="$1" URL="$2" UNTIL="$3" WAIT="$4" SHOT="${5:-}" xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    firefox-esr --no-remote --profile "$WORK/profile" --width 1024 --height 768 --kiosk "$URL" \
      >"$WORK/console.txt" 2>&1 </dev/null &
    pid=$!
    for _ in $(seq "$WAIT"); do
      grep -q "$UNTIL" "$WORK/console.txt" && break
      sleep 1
    done
    shown=0
    if grep -q "$UNTIL" "$WORK/console.txt"; then
      shown=1
      if [ -n "$SHOT" ]; then sleep 2; import -window root "$SHOT"; fi  # 2 s: the frame reaches the screen
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ "$shown" = 1 ]
  '
}
