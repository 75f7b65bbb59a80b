; Orvane's own texts in French (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_FRENCH} "Orvane (requis)"
LangString SecTune ${LANG_FRENCH} "Jouer la mélodie"
LangString SecChoose ${LANG_FRENCH} "Utiliser Orvane comme économiseur d'écran"
LangString NeedAdmin ${LANG_FRENCH} "Orvane a besoin des droits d'administrateur pour modifier System32 et Program Files."
LangString OnlyFolder ${LANG_FRENCH} "Orvane ne peut être installé que dans ${DATA_DIR}, le dossier que lit son économiseur d'écran, et non dans $INSTDIR. Rien n'a été modifié."
LangString NoDriveC ${LANG_FRENCH} "L'économiseur d'écran d'Orvane lit ses fichiers dans ${DATA_DIR}, et cet ordinateur n'a pas de lecteur C:. Rien n'a été modifié."
LangString NewerInstalled ${LANG_FRENCH} "Orvane $0 est installé, plus récent que ${VERSION}. Désinstallez-le d'abord pour installer celui-ci."
