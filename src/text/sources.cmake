list(APPEND LEX_CORE_SOURCES
  text/codepage.cpp text/codepage.h
  text/panebridge.cpp text/panebridge.h)
