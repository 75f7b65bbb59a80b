# ctest's results as ctest --output-junit FILE writes them. Source it, then:
#
#   junit_results FILE   one line per test, "passed NAME", "failed NAME" or
#                        "skipped NAME"; fails when FILE is missing or no XML
#
# As ctest counts them: a test that did not run is failed unless it was
# disabled or skipped by its SKIP_ properties.
[[ -n ${_orvane_junit_sh:-} ]] && return 0
_orvane_junit_sh=1

junit_results() {
  local out
  out=$(xmllint --xpath '//testcase/@name | //testcase/@status | //testcase/skipped/@message' "$1") || return 1
  # xmllint prints each attribute as ` key="value"`, in the file's order.
  awk '
    function unescape(s) {
      gsub(/&lt;/, "<", s); gsub(/&gt;/, ">", s); gsub(/&quot;/, "\"", s); gsub(/&apos;/, "'\''", s)
      gsub(/&amp;/, "\\&", s)
      return s
    }
    function flush() {
      if (name == "") return
      if (status == "run") print "passed", name
      else if (status == "disabled" || message ~ /^SKIP_/) print "skipped", name
      else print "failed", name
    }
    match($0, /^ *[a-z]+="/) {
      key = substr($0, RSTART, RLENGTH - 2); sub(/^ */, "", key)
      value = unescape(substr($0, RSTART + RLENGTH, length($0) - RSTART - RLENGTH))
      if (key == "name") { flush(); name = value; status = ""; message = "" }
      else if (key == "status") status = value
      else message = value
    }
    END { flush() }' <<<"$out"
}
