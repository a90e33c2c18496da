#!/bin/sh
# Stands in for the desktop's opener (xdg-open): records its arguments as the browser stand-in does.
exec "$(dirname "$0")/openinpdm_record_args.sh" "$@"
