#!/usr/bin/env bash
# The layer order of src/, as ARCHITECTURE.md draws it: a folder includes its own headers
# and those of the layers below it, never one above it or beside it. Prints every include
# that breaks the order and fails; a folder missing from the order fails too.
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}

# Lowest first; folders on one line are one layer and do not include each other.
layers=(
    "common"
    "system"
    "ini resources ui"
    "installer"
    "fonts journal set_rules"
    "main"
    "set_tool"
)
declare -A rank
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do rank[$folder]=$i; done
done

status=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if [[ -z ${rank[$folder]+set} ]]; then
        echo "src/$folder: not in the layer order of tools/check_layers.sh"
        status=1
        continue
    fi
    while IFS=: read -r file line text; do
        [[ $text =~ \"([^/\"]+)/ ]] && target=${BASH_REMATCH[1]}
        [[ $target == "$folder" ]] && continue
        if [[ -z ${rank[$target]+set} ]]; then
            echo "src/${file#"$src"/}:$line: $text: $target is no folder of src/"
            status=1
        elif (( rank[$target] >= rank[$folder] )); then
            echo "src/${file#"$src"/}:$line: $text: $folder may not include $target"
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^/"]+/' "$dir" || true)
done
[[ $status == 0 ]] && echo "layers kept: ${layers[*]}"
exit $status
