; Orvane's own texts in Russian (UTF-8). Pages and buttons come with MUI2.
LangString SecFiles ${LANG_RUSSIAN} "Orvane (обязательно)"
LangString SecTune ${LANG_RUSSIAN} "Играть мелодию"
LangString SecChoose ${LANG_RUSSIAN} "Использовать Orvane как мою заставку"
LangString NeedAdmin ${LANG_RUSSIAN} "Orvane нужны права администратора, чтобы изменить System32 и Program Files."
LangString OnlyFolder ${LANG_RUSSIAN} "Orvane можно установить только в ${DATA_DIR}, папку, из которой читает его заставка, а не в $INSTDIR. Ничего не изменено."
LangString NoDriveC ${LANG_RUSSIAN} "Заставка Orvane читает свои файлы из ${DATA_DIR}, а на этом компьютере нет диска C:. Ничего не изменено."
LangString NewerInstalled ${LANG_RUSSIAN} "Установлен Orvane $0, более новый, чем ${VERSION}. Сначала удалите его, чтобы установить эту версию."
