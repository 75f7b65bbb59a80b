; Orvane's own texts in Dutch (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_DUTCH} "Orvane (vereist)"
LangString SecTune ${LANG_DUTCH} "De melodie afspelen"
LangString SecChoose ${LANG_DUTCH} "Orvane als mijn schermbeveiliging gebruiken"
LangString NeedAdmin ${LANG_DUTCH} "Orvane heeft beheerdersrechten nodig om System32 en Program Files te wijzigen."
LangString OnlyFolder ${LANG_DUTCH} "Orvane kan alleen worden geïnstalleerd in ${DATA_DIR}, de map die de schermbeveiliging leest, niet in $INSTDIR. Er is niets gewijzigd."
LangString NoDriveC ${LANG_DUTCH} "De schermbeveiliging van Orvane leest haar bestanden uit ${DATA_DIR}, en deze computer heeft geen station C:. Er is niets gewijzigd."
LangString NewerInstalled ${LANG_DUTCH} "Orvane $0 is geïnstalleerd en is nieuwer dan ${VERSION}. Verwijder die eerst om deze versie te installeren."
