#!/usr/bin/env bash
# Signs one file (a module, an MSI or an MSIX package) with the project's
# certificate, then checks the signature with `osslsigncode verify`. Every
# signed file of a build goes through here, so all carry the same
# certificate.
#   sign.sh <input> <output> <certificate folder> <publisher>
#
# The certificate:
# - a release certificate, from the environment: VARNOKE_SIGN_PFX (path of a
#   PKCS#12 file) and VARNOKE_SIGN_PASSWORD; VARNOKE_SIGN_TIMESTAMP_URL, if
#   set, has the signature timestamped there; VARNOKE_SIGN_CAFILE names the
#   roots to verify against (default: the system's);
# - otherwise a throwaway self-signed test certificate for code signing,
#   made once in the certificate folder (test-certificate.p12 with its
#   password, .pem for verifying, .cer for importing on a Windows test
#   machine), whose subject is the package's publisher.
# A package's publisher must be its certificate's subject, or Windows
# refuses it: for an .msix the two are compared first.
set -euo pipefail
input=$1 output=$2 folder=$3 publisher=$4
mkdir -p "$folder"

# "CN=A, O=B, C=US" (Windows' order, most specific first) as openssl's
# -subj wants it: "/C=US/O=B/CN=A".
subject_argument() {
  local IFS=',' part result=""
  for part in $1; do result="/${part# }$result"; done
  printf '%s' "$result"
}

# The certificate's subject in Windows' form, to compare with the publisher.
windows_subject() {
  openssl x509 -noout -subject -nameopt esc_2253,esc_ctrl,utf8,sep_comma_plus_space,dn_rev,sname | sed 's/^subject=//'
}

make_test_certificate() {
  local config
  config=$(mktemp)
  cat >"$config" <<CNF
[req]
distinguished_name = dn
prompt = no
x509_extensions = ext
[dn]
[ext]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
CNF
  openssl rand -hex 16 >"$folder/test-certificate.password"
  openssl req -x509 -newkey rsa:3072 -nodes -sha256 -days 365 -config "$config" -subj "$(subject_argument "$publisher")" \
    -keyout "$folder/test-certificate.key" -out "$folder/test-certificate.pem" 2>/dev/null
  openssl x509 -in "$folder/test-certificate.pem" -outform DER -out "$folder/test-certificate.cer"
  openssl pkcs12 -export -inkey "$folder/test-certificate.key" -in "$folder/test-certificate.pem" \
    -passout "file:$folder/test-certificate.password" -out "$folder/test-certificate.p12.new"
  rm -f "$config" "$folder/test-certificate.key"
  mv "$folder/test-certificate.p12.new" "$folder/test-certificate.p12"
}

if [ -n "${VARNOKE_SIGN_PFX:-}" ]; then
  pfx=$VARNOKE_SIGN_PFX
  password=${VARNOKE_SIGN_PASSWORD:-}
  cafile=(${VARNOKE_SIGN_CAFILE:+-CAfile "$VARNOKE_SIGN_CAFILE"})
  subject=$(openssl pkcs12 -in "$pfx" -nokeys -clcerts -passin env:VARNOKE_SIGN_PASSWORD 2>/dev/null | windows_subject)
else
  # Several files of one build are signed at once: one of them makes the
  # certificate, the others wait for it.
  exec 9>"$folder/.lock"
  flock 9
  if [ ! -f "$folder/test-certificate.p12" ] ||
     [ "$(windows_subject <"$folder/test-certificate.pem")" != "$publisher" ]; then
    make_test_certificate
  fi
  flock -u 9
  pfx=$folder/test-certificate.p12
  password=$(cat "$folder/test-certificate.password")
  cafile=(-CAfile "$folder/test-certificate.pem")
  subject=$(windows_subject <"$folder/test-certificate.pem")
fi

case $output in
  *.msix|*.appx)
    if [ "$subject" != "$publisher" ]; then
      echo "sign.sh: the certificate's subject '$subject' is not the package's publisher '$publisher'" >&2
      exit 1
    fi ;;
esac

timestamp=(${VARNOKE_SIGN_TIMESTAMP_URL:+-ts "$VARNOKE_SIGN_TIMESTAMP_URL"})
partial="$output.partial"
rm -f "$partial"
osslsigncode sign -pkcs12 "$pfx" -readpass <(printf '%s' "$password") -h sha256 -n Varnoke \
  "${timestamp[@]}" -in "$input" -out "$partial" >/dev/null
if ! osslsigncode verify "${cafile[@]}" -in "$partial" >"$partial.verify" 2>&1; then
  cat "$partial.verify" >&2
  rm -f "$partial" "$partial.verify"
  echo "sign.sh: the signature of $output does not verify" >&2
  exit 1
fi
rm -f "$partial.verify"
mv "$partial" "$output"
