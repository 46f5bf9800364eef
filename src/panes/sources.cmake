list(APPEND LEX_CORE_SOURCES
  panes/textfile.cpp panes/textfile.h)
list(APPEND LEX_UI_SOURCES
  panes/lexiphondoc.cpp panes/lexiphondoc.h
  panes/lexiphonview.cpp panes/lexiphonview.h
  panes/myeditview.cpp panes/myeditview.h
  panes/panefont.cpp panes/panefont.h)
