# The page service: the translation page, its engines and its server. No
# widgets; the server program and the dictionary conversion are defined in
# targets.cmake, once lexiphon_core exists.
list(APPEND LEX_CORE_SOURCES
  pageservice/dictionary.cpp pageservice/dictionary.h pageservice/dictformat.h
  pageservice/english.cpp pageservice/english.h
  pageservice/engine.h
  pageservice/dictengine.cpp pageservice/dictengine.h
  pageservice/upstreamengine.cpp pageservice/upstreamengine.h
  pageservice/page.cpp pageservice/page.h
  pageservice/pageserver.cpp pageservice/pageserver.h
  pageservice/embedded.cpp pageservice/embedded.h)
