#!/bin/bash
# Fails when a source file includes from a layer above its own. The layers,
# lowest first; a folder may include its own files and those of any layer
# before it:
#   ozcore <- core <- discovery <- backup <- inventory <- ui/widgets
#          <- ui/tables <- ui/dialogs <- ui/main <- app
# qmscan uses ozcore, core, discovery, backup and inventory only; components use
# ozcore only, and app may use the components' interfaces, which it loads.
set -euo pipefail
src="$(cd "$(dirname "$0")/../src" && pwd)"
order=(ozcore core discovery backup inventory ui/widgets ui/tables ui/dialogs ui/main app)

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
    ui/*) echo "$1" | cut -d/ -f1-2 ;;
    *) echo "$1" | cut -d/ -f1 ;;
  esac
}

bad=0
while IFS= read -r file; do
  rel="${file#"$src"/}"
  own="$(layer_of "$rel")"
  while IFS= read -r inc; do
    target="$(layer_of "$inc")"
    [ "$target" = "$own" ] && continue
    [ "$own" = app ] && [ "$target" = components ] && continue
    case "$own" in
      qmscan) allowed="ozcore core discovery backup inventory" ;;
      components) allowed="ozcore" ;;
      *)
        own_rank="$(rank "$own")"
        target_rank="$(rank "$target")"
        if [ "$own_rank" -ge 0 ] && [ "$target_rank" -ge 0 ] && [ "$target_rank" -lt "$own_rank" ]; then
          continue
        fi
        allowed=""
        ;;
    esac
    if [ -n "$allowed" ] && [[ " $allowed " == *" $target "* ]]; then continue; fi
    echo "layers: $rel includes $inc ($own may not use $target)"
    bad=1
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find "$src" -name '*.h' -o -name '*.cpp' -o -name '*.c' | sort)
if [ "$bad" -ne 0 ]; then exit 1; fi
echo "layers: every include points down"
