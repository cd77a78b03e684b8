#!/bin/bash
# Fails when a source file uses a layer above its own. The layers, lowest
# first; a folder may use its own files and those of any layer before it:
#   ozcore <- core <- engine/text <- engine/sources <- engine/files
#          <- engine/state <- engine/kinds <- engine/live | engine/offline
#          <- backup <- inventory
#          <- ui/widgets <- ui/tables <- ui/dialogs <- ui/main <- app
# qmscan uses ozcore, core, the engine, backup and inventory only;
# components use ozcore only, and app may use the components' interfaces,
# which it loads.
# Checked: every quoted include, every angle-bracket include that names a
# project folder, no include that climbs with "..", and the libraries each
# CMake target of a layer links (one library holds the whole engine: it
# counts as its top layer).
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"

# One awk pass over every source and CMake file: no process per include.
find "$src" \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name CMakeLists.txt \) -print0 | sort -z |
  xargs -0 awk -v src="$src/" '
function layer_of(path,   parts, n) {
  n = split(path, parts, "/")
  if (parts[1] == "ui" || parts[1] == "engine") return (n > 2 ? parts[1] "/" parts[2] : parts[1] "/")
  return parts[1]
}
function cmake_layer(dir) { return dir == "engine" ? "engine/live" : layer_of(dir "/x") }
function allowed(own, target) {
  if (target == own) return 1
  if (own == "app" && target == "components") return 1
  if (own == "qmscan") return target == "ozcore" || target == "core" || target ~ /^engine\// || target == "backup" || target == "inventory"
  if (own == "components") return target == "ozcore"
  return (own in rank) && (target in rank) && rank[target] < rank[own]
}
BEGIN {
  n = split("ozcore core engine/text engine/sources engine/files engine/state engine/kinds engine/live backup inventory ui/widgets ui/tables ui/dialogs ui/main app", order, " ")
  for (i = 1; i <= n; i++) rank[order[i]] = i
  # The running machine and an image are two peers over the kinds.
  rank["engine/offline"] = rank["engine/live"]
  split("ozcore core engine backup inventory ui app components qmscan", f, " ")
  for (i in f) folder[f[i]] = 1
  bad = 0
}
FNR == 1 {
  rel = substr(FILENAME, length(src) + 1)
  cmake = rel ~ /CMakeLists\.txt$/
  if (cmake) { dir = rel; sub(/\/?CMakeLists\.txt$/, "", dir); own = cmake_layer(dir); linking = 0; links = "" }
  else own = layer_of(rel)
}
!cmake && /^[ \t]*#[ \t]*include[ \t]*["<]/ {
  inc = $0; sub(/^[ \t]*#[ \t]*include[ \t]*["<]/, "", inc); sub(/[">].*$/, "", inc)
  if (inc ~ /\.\./) { print "layers: " rel " includes " inc " (a path that climbs)"; bad = 1; next }
  first = inc; sub(/\/.*$/, "", first)
  if (!(first in folder) || inc !~ /\//) next
  target = layer_of(inc)
  if (!allowed(own, target)) { print "layers: " rel " includes " inc " (" own " may not use " target ")"; bad = 1 }
}
cmake && /add_library\(|add_executable\(/ {
  name = $0; sub(/^.*add_(library|executable)\(/, "", name); sub(/[ \t)].*$/, "", name)
  if (dir != "") made[name] = cmake_layer(dir)
}
cmake && /target_link_libraries\(/ { linking = 1 }
cmake && linking {
  line = $0
  skip = sub(/^.*target_link_libraries\([ \t]*[^ \t)]*/, "", line)  # the target itself
  done = line ~ /\)/; sub(/\).*$/, "", line)
  m = split(line, words, /[ \t]+/)
  for (i = 1; i <= m; i++) if (words[i] != "" && words[i] !~ /^(PUBLIC|PRIVATE|INTERFACE)$/) uses[rel SUBSEP words[i]] = own
  if (done) linking = 0
}
END {
  for (key in uses) {
    split(key, pair, SUBSEP)
    if (!(pair[2] in made)) continue
    if (!allowed(uses[key], made[pair[2]])) {
      print "layers: " pair[1] " links " pair[2] " (" uses[key] " may not use " made[pair[2]] ")"; bad = 1
    }
  }
  if (bad) exit 1
  print "layers: every include and link points down"
}'
