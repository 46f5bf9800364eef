list(APPEND LEX_CORE_SOURCES
  platform/netstartup.cpp platform/netstartup.h
  platform/skinfile.cpp platform/skinfile.h)
list(APPEND LEX_UI_SOURCES
  platform/skin.cpp platform/skin.h)
list(APPEND LEX_CORE_SOURCES platform/shellopen.cpp platform/shellopen.h)
list(APPEND LEX_CORE_SOURCES platform/profile.cpp platform/profile.h)
list(APPEND LEX_CORE_SOURCES platform/http.cpp platform/http.h)
