; Orvane's own texts in Polish (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_POLISH} "Orvane (wymagany)"
LangString SecTune ${LANG_POLISH} "Odtwarzaj melodię"
LangString SecChoose ${LANG_POLISH} "Użyj Orvane jako mojego wygaszacza ekranu"
LangString NeedAdmin ${LANG_POLISH} "Orvane potrzebuje uprawnień administratora, aby zmienić System32 i Program Files."
LangString OnlyFolder ${LANG_POLISH} "Orvane można zainstalować tylko w ${DATA_DIR}, folderze, z którego czyta jego wygaszacz ekranu, a nie w $INSTDIR. Nic nie zostało zmienione."
LangString NoDriveC ${LANG_POLISH} "Wygaszacz ekranu Orvane czyta swoje pliki z ${DATA_DIR}, a ten komputer nie ma dysku C:. Nic nie zostało zmienione."
LangString NewerInstalled ${LANG_POLISH} "Zainstalowany jest Orvane $0, nowszy niż ${VERSION}. Najpierw go usuń, aby zainstalować tę wersję."
