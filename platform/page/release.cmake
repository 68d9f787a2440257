# Writes the page's service worker, sw.js, into the folder PAGE from the
# template beside this script: the files it keeps, and the release they
# make, named by a hash of their contents, so that a change to any of them
# is a new release.
#
#   cmake -DPAGE=DIR -P release.cmake
include(${CMAKE_CURRENT_LIST_DIR}/files.cmake)
set(contents "")
set(FW_PAGE_LIST "'./'")
foreach(file ${FW_PAGE_FILES})
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND contents "${hash} ${file}\n")
  string(APPEND FW_PAGE_LIST ", '${file}'")
endforeach()
string(SHA256 release "${contents}")
string(SUBSTRING ${release} 0 16 FW_PAGE_RELEASE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sw.js.in ${PAGE}/sw.js @ONLY)
