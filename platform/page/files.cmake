# The web page's files: those in this folder, and the two emcc writes; the
# .wasm is served under a name made from its contents (release.cmake). The
# service worker keeps them all, and the web ZIP holds them with sw.js.
set(FW_PAGE_SOURCES index.html start.js replay.js link.js share.js hall.js touch.js offline.js manifest.webmanifest
  icon-192.png icon-512.png)
set(FW_PAGE_FILES ${FW_PAGE_SOURCES} fusewalker.js)
