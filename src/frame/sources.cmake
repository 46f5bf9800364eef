list(APPEND LEX_UI_SOURCES
  frame/livesplitter.cpp frame/livesplitter.h
  frame/mainframe.cpp frame/mainframe.h
  frame/translatewaitdialog.cpp frame/translatewaitdialog.h)
