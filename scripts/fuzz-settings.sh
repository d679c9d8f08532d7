#!/usr/bin/env bash
# The settings target alone; scripts/fuzz.sh has the details.
exec "$(dirname "$0")/fuzz.sh" settings
