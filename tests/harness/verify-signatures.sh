#!/usr/bin/env bash
# Verifies each signed file of the build with osslsigncode and prints the
# whole verification, so that the test's output shows it.
#   verify-signatures.sh <certificate folder> <file>...
# Against the build's test certificate, or with a release certificate
# (VARNOKE_SIGN_PFX) against VARNOKE_SIGN_CAFILE or the system's roots.
set -u
folder=$1
shift
if [ -n "${VARNOKE_SIGN_PFX:-}" ]; then
  cafile=(${VARNOKE_SIGN_CAFILE:+-CAfile "$VARNOKE_SIGN_CAFILE"})
else
  cafile=(-CAfile "$folder/test-certificate.pem")
fi
failed=0
for file in "$@"; do
  echo "=== osslsigncode verify $file"
  if ! osslsigncode verify "${cafile[@]}" -in "$file"; then
    echo "FAILED: $file"
    failed=$((failed + 1))
  fi
done
echo "$(( $# - failed )) passed, $failed failed"
[ "$failed" = 0 ]
