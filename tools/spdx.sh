#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Usage: tools/spdx.sh [--check] [SOURCE_DIR]
# Puts the line "SPDX-License-Identifier: MIT", as a comment of each file's language, at the top
# of every source, build and script file of the repository that lacks it (behind a #! line); with
# --check it only names the files that lack it and fails when there are any.
set -euo pipefail
check=0
[ "${1:-}" = --check ] && { check=1; shift; }
root=$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd)
cd "$root"
git rev-parse --git-dir >/dev/null 2>&1 || { echo "$root is no git checkout"; exit 77; }
missing=0
while IFS= read -r file; do
    [ -f "$file" ] || continue
    head -n 3 "$file" | grep -q 'SPDX-License-Identifier: MIT' && continue
    case "$file" in
    *.cpp | *.h | *.rc) line='// SPDX-License-Identifier: MIT' ;;
    *) line='# SPDX-License-Identifier: MIT' ;;
    esac
    if [ $check -eq 1 ]; then
        echo "$file: no SPDX-License-Identifier line"
        missing=1
        continue
    fi
    if head -n 1 "$file" | grep -q '^#!'; then
        { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$file.spdx"
    else
        { echo "$line"; cat "$file"; } >"$file.spdx"
    fi
    chmod --reference="$file" "$file.spdx"
    mv "$file.spdx" "$file"
done < <(git ls-files -- '*.cpp' '*.h' '*.rc' '*.cmake' 'CMakeLists.txt' '*/CMakeLists.txt' \
    '*.sh' '*.py' 'dev' '.ci/run' '.pre-commit-hooks.yaml')
exit $missing
