#!/usr/bin/env bash
# A demo script that starts a server from the demo folder.
if [ -x "$demo/server" ]; then
  "$demo/server" --port 8443 &
fi
"$demo/program"
