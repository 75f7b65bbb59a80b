# ctest's verdicts from the JUnit file of ctest --output-junit FILE. Source it:
#
#   junit_results FILE   one line per test, "passed NAME", "failed NAME" or
#                        "skipped NAME", as ctest counts them (a test that did
#                        not run failed, unless disabled or skipped by its
#                        SKIP_ properties); fails when FILE is missing or no XML
[[ -n ${_orvane_junit_sh:-} ]] && return 0
_orvane_junit_sh=1

junit_results() {
  local out
  out=$(xmllint --xpath '//testcase/@name | //testcase/@status | //testcase/skipped/@message' "$1") || return 1
  # One attribute a line, ` key="value"`, in the file's order.
  sed -E 's/^ ([a-z]+)="(.*)"$/\1 \2/; s/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'\''/g; s/&amp;/\&/g' <<<"$out" |
    awk '$1 == "name" { if (name != "") print verdict, name; name = substr($0, 6); verdict = "failed" }
      $1 == "status" && $2 == "run" { verdict = "passed" }
      $1 == "status" && $2 == "disabled" || $1 == "message" && $2 ~ /^SKIP_/ { verdict = "skipped" }
      END { if (name != "") print verdict, name }'
}
