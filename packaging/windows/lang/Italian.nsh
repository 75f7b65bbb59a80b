; Orvane's own texts in Italian (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_ITALIAN} "Orvane (obbligatorio)"
LangString SecTune ${LANG_ITALIAN} "Riproduci la melodia"
LangString SecChoose ${LANG_ITALIAN} "Usa Orvane come salvaschermo"
LangString NeedAdmin ${LANG_ITALIAN} "Orvane richiede i diritti di amministratore per modificare System32 e Program Files."
LangString OnlyFolder ${LANG_ITALIAN} "Orvane può essere installato solo in ${DATA_DIR}, la cartella letta dal suo salvaschermo, non in $INSTDIR. Non è stato modificato nulla."
LangString NoDriveC ${LANG_ITALIAN} "Il salvaschermo di Orvane legge i suoi file da ${DATA_DIR} e questo computer non ha un'unità C:. Non è stato modificato nulla."
LangString NewerInstalled ${LANG_ITALIAN} "È installato Orvane $0, più recente di ${VERSION}. Rimuovilo prima di installare questa versione."
