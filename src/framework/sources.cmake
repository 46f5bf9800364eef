list(APPEND LEX_CORE_SOURCES
  framework/archive.cpp framework/archive.h
  framework/cmdtarget.cpp framework/cmdtarget.h
  framework/fileio.cpp framework/fileio.h
  framework/menudata.h
  framework/splittergeom.cpp framework/splittergeom.h)
list(APPEND LEX_UI_SOURCES
  framework/bars.cpp framework/bars.h
  framework/dialogunits.cpp framework/dialogunits.h
  framework/document.cpp framework/document.h
  framework/doctemplate.cpp framework/doctemplate.h
  framework/editview.cpp framework/editview.h
  framework/framewnd.cpp framework/framewnd.h
  framework/msgbox.cpp framework/msgbox.h
  framework/splitter.cpp framework/splitter.h
  framework/winapp.cpp framework/winapp.h)
