# The release's version and the names of its files, said once for the
# release and its tests. Source it, then:
#
#   version         the version in CMakeLists.txt
#   deb_version     the Debian package's, from debian/changelog's newest entry
#   arch            the Debian architecture the package is built for
#   release_file    the name of each file by what it is: setup, win64, win32
#                   (the zips), deb, dsc, debian_tar, orig_tar (the Debian
#                   packages), source_tar, web, and winget_version,
#                   winget_installer, winget_locale (the winget manifest)
#   release_names   all of them, in one order (SHA256SUMS aside)
[[ -n ${_orvane_release_names_sh:-} ]] && return 0
_orvane_release_names_sh=1
_release_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

version=$(sed -n 's/^project(Orvane VERSION \([0-9][0-9.]*\).*/\1/p' "$_release_repo/CMakeLists.txt")
deb_version=$(dpkg-parsechangelog -l "$_release_repo/debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
declare -A release_file=(
  [setup]=Orvane-$version-setup.exe [win64]=Orvane-$version-win64.zip [win32]=Orvane-$version-win32.zip
  [deb]=orvane_${deb_version}_$arch.deb [dsc]=orvane_$deb_version.dsc
  [debian_tar]=orvane_$deb_version.debian.tar.xz [orig_tar]=orvane_$version.orig.tar.gz
  [source_tar]=orvane-$version.tar.gz [web]=Orvane-$version-web.zip
  [winget_version]=Orvane.Orvane.yaml [winget_installer]=Orvane.Orvane.installer.yaml
  [winget_locale]=Orvane.Orvane.locale.en-US.yaml
)
release_names=()
for _name in setup win32 win64 deb dsc debian_tar orig_tar source_tar web winget_version winget_installer winget_locale; do
  release_names+=("${release_file[$_name]}")
done
unset _name
