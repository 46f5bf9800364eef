list(APPEND LEX_CORE_SOURCES
  speech/speechapi.cpp speech/speechapi.h
  speech/audiosink.cpp speech/audiosink.h
  speech/devicesink.cpp speech/devicesink.h
  speech/espeakbackend.cpp speech/espeakbackend.h
  speech/textsplit.cpp speech/textsplit.h
  speech/tokens.cpp speech/tokens.h
  speech/spvoice.cpp speech/spvoice.h
  speech/speechsettings.cpp speech/speechsettings.h
  speech/voiceglobals.cpp speech/voiceglobals.h)
list(APPEND LEX_UI_SOURCES
  speech/speechcommands.cpp)
list(APPEND LEX_CORE_SOURCES
  speech/voicelist.cpp speech/voicelist.h)
list(APPEND LEX_UI_SOURCES
  speech/speechsettingsdialog.cpp speech/speechsettingsdialog.h
  speech/settingscommand.cpp)
