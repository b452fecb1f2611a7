# Writes the page's service worker (sw.js) from sw.js.in, once the page's
# files are made: the list of files it keeps, and the digest of their bytes
# that names this build's cache.
# Usage: cmake -DPAGE_DIR=DIR -DTEMPLATE=sw.js.in -P write_service_worker.cmake
set(files index.html index.js index.worker.js index.wasm manifest.webmanifest icon-192.png icon-512.png)
set(digests "")
set(PAGE_FILES "'./'")
foreach(file ${files})
  if(NOT EXISTS ${PAGE_DIR}/${file})
    message(FATAL_ERROR "write_service_worker: ${PAGE_DIR}/${file} is missing")
  endif()
  file(SHA256 ${PAGE_DIR}/${file} digest)
  string(APPEND digests "${digest}\n")
  string(APPEND PAGE_FILES ", '${file}'")
endforeach()
string(SHA256 PAGE_DIGEST "${digests}")
string(SUBSTRING ${PAGE_DIGEST} 0 16 PAGE_DIGEST)
configure_file(${TEMPLATE} ${PAGE_DIR}/sw.js @ONLY)
