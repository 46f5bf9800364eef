list(APPEND LEX_CORE_SOURCES
  translate/request.cpp translate/request.h
  translate/translatehost.cpp translate/translatehost.h
  translate/translation.cpp translate/translation.h)
list(APPEND LEX_UI_SOURCES
  translate/framelink.cpp translate/framelink.h
  translate/translatecommands.cpp translate/translatecommands.h
  translate/worker.cpp translate/worker.h)
