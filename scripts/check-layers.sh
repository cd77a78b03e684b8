#!/bin/bash
# Fails when a source file uses a layer above its own. The layers, lowest
# first; a folder may use its own files and those of any layer before it:
#   ozcore <- core <- engine/text <- engine/sources <- engine/files
#          <- engine/state <- engine/kinds <- engine/live <- backup <- inventory
#          <- ui/widgets <- ui/tables <- ui/dialogs <- ui/main <- app
# qmscan uses ozcore, core, the engine, backup and inventory only;
# components use ozcore only, and app may use the components' interfaces,
# which it loads.
# Checked: every quoted include, every angle-bracket include that names a
# project folder, no include that climbs with "..", and the libraries each
# CMake target of a layer links.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"
order=(ozcore core engine/text engine/sources engine/files engine/state engine/kinds engine/live backup inventory
       ui/widgets ui/tables ui/dialogs ui/main app)
folders="ozcore core engine backup inventory ui app components qmscan"

rank() {
  local i
  for i in "${!order[@]}"; do
    if [ "${order[$i]}" = "$1" ]; then echo "$i"; return; fi
  done
  echo -1
}

# The folder (layer) of a path below src/.
layer_of() {
  case "$1" in
    ui/* | engine/*) echo "$1" | cut -d/ -f1-2 ;;
    *) echo "$1" | cut -d/ -f1 ;;
  esac
}

allowed_use() {  # own target -> 0 when own may use target
  local own="$1" target="$2"
  [ "$target" = "$own" ] && return 0
  [ "$own" = app ] && [ "$target" = components ] && return 0
  case "$own" in
    qmscan) case "$target" in ozcore | core | engine/* | backup | inventory) return 0 ;; esac; return 1 ;;
    components) [ "$target" = ozcore ]; return ;;
  esac
  local own_rank target_rank
  own_rank="$(rank "$own")"
  target_rank="$(rank "$target")"
  [ "$own_rank" -ge 0 ] && [ "$target_rank" -ge 0 ] && [ "$target_rank" -lt "$own_rank" ]
}

bad=0
while IFS= read -r file; do
  rel="${file#"$src"/}"
  own="$(layer_of "$rel")"
  while IFS= read -r inc; do
    case "$inc" in
      *..*) echo "layers: $rel includes $inc (a path that climbs)"; bad=1; continue ;;
    esac
    first="${inc%%/*}"
    [[ " $folders " == *" $first "* ]] || continue
    target="$(layer_of "$inc")"
    allowed_use "$own" "$target" && continue
    echo "layers: $rel includes $inc ($own may not use $target)"
    bad=1
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]\([^">]*\)[">].*/\1/p' "$file")
done < <(find "$src" -name '*.h' -o -name '*.cpp' -o -name '*.c' | sort)

# The project's libraries and the layer each belongs to, from the folder of
# the CMakeLists.txt that makes it (one library holds the whole engine: it
# counts as its top layer).
cmake_layer() {
  case "$1" in
    engine) echo engine/live ;;
    *) layer_of "$1/x" ;;
  esac
}
declare -A lib_layer
while IFS= read -r cm; do
  rel="$(dirname "${cm#"$src"/}")"
  [ "$rel" = . ] && continue
  while IFS= read -r lib; do lib_layer[$lib]="$(cmake_layer "$rel")"; done < \
    <(sed -n 's/^[[:space:]]*add_library(\([A-Za-z0-9_]*\).*/\1/p; s/^[[:space:]]*add_executable(\([A-Za-z0-9_]*\).*/\1/p' "$cm")
done < <(find "$src" -name CMakeLists.txt | sort)
while IFS= read -r cm; do
  rel="$(dirname "${cm#"$src"/}")"
  [ "$rel" = . ] && continue
  own="$(cmake_layer "$rel")"
  while IFS= read -r lib; do
    target="${lib_layer[$lib]:-}"
    [ -z "$target" ] && continue
    allowed_use "$own" "$target" && continue
    echo "layers: ${cm#"$src"/} links $lib ($own may not use $target)"
    bad=1
  done < <(tr '\n' ' ' < "$cm" | grep -o 'target_link_libraries([^)]*)' | sed 's/target_link_libraries(//; s/)//' |
           tr ' ' '\n' | grep -v '^\(PUBLIC\|PRIVATE\|INTERFACE\)$' | sed '/^$/d')
done < <(find "$src" -name CMakeLists.txt | sort)
if [ "$bad" -ne 0 ]; then exit 1; fi
echo "layers: every include and link points down"
