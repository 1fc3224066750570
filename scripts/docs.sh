#!/usr/bin/env bash
# Builds the API reference from the public headers with Doxygen; any
# warning (an undocumented operation, a broken reference) fails it.
#
#   scripts/docs.sh            -> build/docs/html/index.html
set -euo pipefail
cd "$(dirname "$0")/.."
PMSNMP_VERSION=$(sed -n 's/^project(pmsnmp VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
PMSNMP_DOCS_DIR=${PMSNMP_DOCS_DIR:-build/docs}
export PMSNMP_VERSION PMSNMP_DOCS_DIR
mkdir -p "$PMSNMP_DOCS_DIR"
doxygen docs/Doxyfile
echo "API reference: $PMSNMP_DOCS_DIR/html/index.html"
