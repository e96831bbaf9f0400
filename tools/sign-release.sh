#!/usr/bin/env bash
# Signs a release in place with the publisher's code-signing certificate (Authenticode,
# SHA-256): OrvhUpdate.exe and the files of every update set, that is the full packages
# (.msi), the patches (.msp) and the ORVHUpdate.exe delivered with them. A launcher
# signed this way installs only files signed by the same publisher (README, "Signing a
# release").
#
#   tools/sign-release.sh -c CERT.pem -k KEY.pem [-a CHAIN.pem] [-t TIMESTAMP_URL] [-n DESCRIPTION] FILE...
#
# The signature carries the whole chain below the root: CERT.pem is the publisher's
# certificate, possibly followed by the intermediate certificates that issued it; -a names
# a file of further intermediates. A machine then needs only the root, which an offline
# machine cannot fetch (README, "Signing a release").
# -t names an RFC 3161 time-stamping server: a timestamped signature stays valid after the
# certificate has expired. Leave it out only for test signatures.
set -euo pipefail

cert="" key="" chain="" timestamp="" description="Orvane"
while getopts "c:k:a:t:n:" option; do
    case $option in
        c) cert=$OPTARG ;;
        a) chain=$OPTARG ;;
        k) key=$OPTARG ;;
        t) timestamp=$OPTARG ;;
        n) description=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [[ -z $cert || -z $key || $# -eq 0 ]]; then
    echo "usage: $0 -c CERT.pem -k KEY.pem [-a CHAIN.pem] [-t TIMESTAMP_URL] [-n DESCRIPTION] FILE..." >&2
    exit 2
fi

for file in "$@"; do
    signed="$file.signing"
    osslsigncode sign -certs "$cert" ${chain:+-ac "$chain"} -key "$key" -h sha256 -n "$description" \
        ${timestamp:+-ts "$timestamp"} -in "$file" -out "$signed" >/dev/null
    mv -f "$signed" "$file"
    echo "signed: $file"
done
