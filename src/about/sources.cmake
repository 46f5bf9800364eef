list(APPEND LEX_UI_SOURCES
  about/aboutdialog.cpp about/aboutdialog.h
  about/linklabel.cpp about/linklabel.h
  about/tooltipctrl.cpp about/tooltipctrl.h)
