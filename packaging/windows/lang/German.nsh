; Orvane's own texts in German (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_GERMAN} "Orvane (erforderlich)"
LangString SecTune ${LANG_GERMAN} "Die Melodie abspielen"
LangString SecChoose ${LANG_GERMAN} "Orvane als meinen Bildschirmschoner verwenden"
LangString NeedAdmin ${LANG_GERMAN} "Orvane braucht Administratorrechte, um System32 und Program Files zu ändern."
LangString OnlyFolder ${LANG_GERMAN} "Orvane kann nur in ${DATA_DIR} installiert werden, dem Ordner, aus dem sein Bildschirmschoner liest, nicht in $INSTDIR. Es wurde nichts geändert."
LangString NoDriveC ${LANG_GERMAN} "Der Bildschirmschoner von Orvane liest seine Dateien aus ${DATA_DIR}, und dieser Computer hat kein Laufwerk C:. Es wurde nichts geändert."
LangString NewerInstalled ${LANG_GERMAN} "Orvane $0 ist installiert und neuer als ${VERSION}. Entfernen Sie es zuerst, um diese Version zu installieren."
