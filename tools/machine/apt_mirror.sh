#!/usr/bin/env bash
# Prints the first Debian archive in this machine's apt sources (one-line or
# deb822 form alike), not the security archive, which holds no complete
# release; prints nothing when apt knows none. For debootstrap.
set -uo pipefail
{ apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(ORIGIN)' 2>/dev/null || true; } |
    awk '!found && $2 !~ /-security$/ && $3 == "Debian" { print $1; found = 1 }'
