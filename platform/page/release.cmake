# Makes a release of the web page in the folder PAGE, after emcc has written
# fusewalker.js and fusewalker.wasm there:
#  - the .wasm is copied to a name made from its contents, which the .js
#    names, so that a script of one release never runs another's .wasm;
#  - the service worker, sw.js, from the template beside this script: the
#    files it keeps, and the release they make, named by a hash of their
#    contents, so that a change to any of them is a new release.
#
#   cmake -DPAGE=DIR -P release.cmake
include(${CMAKE_CURRENT_LIST_DIR}/files.cmake)
if(EXISTS ${PAGE}/fusewalker.wasm)
  file(SHA256 ${PAGE}/fusewalker.wasm hash)
  string(SUBSTRING ${hash} 0 16 hash)
  set(wasm fusewalker-${hash}.wasm)
  file(GLOB old ${PAGE}/fusewalker-*.wasm)
  if(old)
    file(REMOVE ${old})
  endif()
  file(COPY_FILE ${PAGE}/fusewalker.wasm ${PAGE}/${wasm})
  file(READ ${PAGE}/fusewalker.js script)
  string(REGEX REPLACE "\"fusewalker(-[0-9a-f]+)?\\.wasm\"" "\"${wasm}\"" named "${script}")
  if(NOT named MATCHES "\"${wasm}\"")
    message(FATAL_ERROR "fusewalker.js does not name its .wasm as this script expects")
  endif()
  file(WRITE ${PAGE}/fusewalker.js "${named}")
else()
  # A release made before, unpacked: its .wasm keeps its name.
  file(GLOB wasm RELATIVE ${PAGE} ${PAGE}/fusewalker-*.wasm)
endif()

set(contents "")
set(FW_PAGE_LIST "'./'")
foreach(file ${FW_PAGE_FILES} ${wasm})
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND contents "${hash} ${file}\n")
  string(APPEND FW_PAGE_LIST ", '${file}'")
endforeach()
string(SHA256 release "${contents}")
string(SUBSTRING ${release} 0 16 FW_PAGE_RELEASE)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sw.js.in ${PAGE}/sw.js @ONLY)
