list(APPEND LEX_UI_SOURCES
  frame/mainframe.cpp frame/mainframe.h
  frame/translatewaitdialog.cpp frame/translatewaitdialog.h)
