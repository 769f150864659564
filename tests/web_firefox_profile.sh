# Sourced by the Firefox scripts: firefox_profile DIR writes a fresh profile
# into DIR that sends the page's console to standard output and keeps
# Firefox's first-run pages, checks and reports out of the way.
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
