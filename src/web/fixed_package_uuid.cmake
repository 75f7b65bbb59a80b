# cmake -DJS=orvane.js -DDATA=orvane.data -P fixed_package_uuid.cmake
# The file packager stamps each build with a random package_uuid, which only
# its preload cache (not used here) reads. A uuid made from the pictures' hash
# keeps two builds of one commit byte-identical.
file(READ "${JS}" text)
if(NOT text MATCHES "\"package_uuid\": *\"[0-9a-f-]+\"")
  message(FATAL_ERROR "${JS}: no package_uuid to fix")
endif()
file(SHA256 "${DATA}" hash)
string(REGEX REPLACE "^(........)(....)(....)(....)(............).*$" "\\1-\\2-\\3-\\4-\\5" uuid "${hash}")
string(REGEX REPLACE "(\"package_uuid\": *\")[0-9a-f-]+\"" "\\1${uuid}\"" text "${text}")
file(WRITE "${JS}" "${text}")
