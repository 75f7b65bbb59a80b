; Orvane's own texts in English (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_ENGLISH} "Orvane (required)"
LangString SecTune ${LANG_ENGLISH} "Play the tune"
LangString SecChoose ${LANG_ENGLISH} "Use Orvane as my screen saver"
LangString NeedAdmin ${LANG_ENGLISH} "Orvane needs administrator rights to change System32 and Program Files."
LangString OnlyFolder ${LANG_ENGLISH} "Orvane can only be installed in ${DATA_DIR}, the folder its screen saver reads, not in $INSTDIR. Nothing was changed."
LangString NoDriveC ${LANG_ENGLISH} "Orvane's screen saver reads its files from ${DATA_DIR}, and this computer has no drive C:. Nothing was changed."
LangString NewerInstalled ${LANG_ENGLISH} "Orvane $0 is installed, which is newer than ${VERSION}. Remove it first to install this one."
