list(APPEND LEX_RESOURCES res/lexiphon.qrc)
