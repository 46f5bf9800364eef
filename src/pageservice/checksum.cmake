# cmake -DFILE=... -DSHA256=... -P checksum.cmake: the fetched package must be
# the one the conversion was written for.
file(SHA256 ${FILE} actual)
if(NOT actual STREQUAL SHA256)
  file(REMOVE ${FILE})
  message(FATAL_ERROR "${FILE}: checksum ${actual}, expected ${SHA256}")
endif()
