#!/bin/bash
# The document module exports its C entry points alone: no C++ name (a mangled _Z... symbol)
# and nothing of the libraries linked into it.
# Usage: module_exports_test.sh MODULE
set -euo pipefail
module=$1
symbols=$(nm -D --defined-only "$module" | awk '{ print $NF }')
if [ -z "$symbols" ]; then
  echo "no exported symbol in $module" >&2
  exit 1
fi
others=$(grep -v '^mensuro_[a-z_]*$' <<<"$symbols" || true)
if [ -n "$others" ]; then
  echo "$module exports more than its entry points:" >&2
  echo "$others" >&2
  exit 1
fi
for entry in mensuro_draw_documents mensuro_draw_history_plot mensuro_draw_baseline_certificate \
  mensuro_documents_free mensuro_document_boundary; do
  grep -qx "$entry" <<<"$symbols" || { echo "$module lacks $entry" >&2; exit 1; }
done
