list(APPEND LEX_CORE_SOURCES
  app/resource.h
  app/commands.cpp app/commands.h
  app/stringtable.cpp app/stringtable.h)
list(APPEND LEX_UI_SOURCES
  app/lexiphonapp.cpp app/lexiphonapp.h)
