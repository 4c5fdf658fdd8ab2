#!/usr/bin/env bash
# The transfer benchmark over explicit TLS: Ferrix against curl --ssl-reqd,
# both downloading and uploading from vsftpd that requires TLS. Same
# arguments and variables as transfer_vs_curl.sh.
FERRIX_BENCH_TLS=1 exec "$(dirname "$0")/transfer_vs_curl.sh" "$@"
