#!/bin/bash
# Writes qmscan's manual page (roff, man macros) to standard output, made
# from README.md's sections on qmscan ("Add-on inventory from scripts" and
# "Offline images"), so the page says what the README says:
#   readme-to-man.sh README.md VERSION
# The README's markdown is a small subset: paragraphs, `code`, **bold**,
# "- " bullets with indented continuation lines, and code blocks indented
# by four spaces. The package test renders the page and checks that it
# holds the sections' words in order.
set -euo pipefail
readme=$1 version=$2
[ -r "$readme" ] || { echo "readme-to-man: cannot read $readme" >&2; exit 1; }

awk -v version="$version" '
BEGIN {
  print ".TH QMSCAN 1 \"\" \"Quillmoor " version "\" \"User Commands\""
  print ".\\\" Made from README.md by packaging/readme-to-man.sh; edit the README instead."
  print ".nh"
  print ".ad l"
  print ".SH NAME"
  print "qmscan \\- list the Internet Explorer add-ons of a Windows system that is not running"
}
/^## / {
  taking = ($0 == "## Add-on inventory from scripts" || $0 == "## Offline images")
  if (taking) { close_block(); print ".SH " toupper(substr($0, 4)); state = "gap" }
  next
}
!taking { next }
/^$/ { close_block(); state = "gap"; next }
/^    / && state != "item" {
  if (state != "code") { print ".PP"; print ".RS 4"; print ".nf"; state = "code" }
  line = substr($0, 5); gsub(/\\/, "\\e", line); gsub(/-/, "\\-", line)
  print guard(line); next
}
/^- / { close_block(); print ".IP \\(bu 2"; state = "item"; print guard(inline(substr($0, 3))); next }
/^  / && state == "item" { sub(/^ +/, ""); print guard(inline($0)); next }
{
  close_block()
  if (state == "gap") print ".PP"
  state = "text"; print guard(inline($0))
}
END { close_block() }

function close_block() { if (state == "code") { print ".fi"; print ".RE"; state = "gap" } }
# A line that would start with a control character is made text.
function guard(s) { return s ~ /^[.\047]/ ? "\\&" s : s }
# Code spans in bold, **bold** in bold; either may run over a line break.
function inline(s,   out, i, c, two) {
  gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s)
  out = (code || strong) ? "\\fB" : ""
  for (i = 1; i <= length(s); i++) {
    c = substr(s, i, 1); two = substr(s, i, 2)
    if (c == "`") { code = !code; out = out (code || strong ? "\\fB" : "\\fR"); continue }
    if (two == "**" && !code) { strong = !strong; i++; out = out (strong ? "\\fB" : "\\fR"); continue }
    out = out c
  }
  return out ((code || strong) ? "\\fR" : "")
}
' "$readme"
