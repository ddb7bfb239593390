# Shared by the install checks: installs a build into a staging folder as a
# package would (DESTDIR, the configured prefix), so that paths written at
# configure time can be checked. Expects $build and $prefix; sets $stage and
# $root (where $prefix lands in the stage).
. "$(dirname "$0")/common.sh"
stage=$work
root=$stage$prefix

# The component's own manifest: the user's install_manifest.txt, the list
# of what their own install put in place, stays as it was.
DESTDIR=$stage cmake --install "$build" --component Unspecified >"$stage/install.log" 2>&1 || {
    cat "$stage/install.log"
    fail "cmake --install"
}
