#!/usr/bin/env bash
# Mutation testing: scripts/mutate.sh [COUNT] [SEED] [--from FILE]. See scripts/mutate.py.
set -euo pipefail
exec python3 "$(dirname "$0")/mutate.py" "$@"
